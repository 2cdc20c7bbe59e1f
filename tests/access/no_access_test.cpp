// A keypad or loader on the bus whose node the user may not open is reported as such, with the
// node and the udev rule, never as "not connected".
#include <gtest/gtest.h>

#include <sstream>

#include "cli/device_listing.h"
#include "common/recording_ui.h"
#include "device/device_access.h"
#include "device/device_connection.h"
#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {
namespace {

// What a refusal says, and what it names as the way to open the device: the missing udev rule on
// Linux, the program that holds the device on Windows.
#ifdef _WIN32
constexpr const char* kRefusal = "access denied";
const std::string kWhatOpensIt = "Another program holds it open";
#else
constexpr const char* kRefusal = "permission denied";
const std::string kWhatOpensIt = installedUdevRule();
#endif

// Lists one keypad command interface and one loader; opens nothing, and tells whether that was
// for lack of permission.
class ClosedBus : public hid::Backend {
  public:
    bool denied = true;
    std::vector<hid::DeviceInfo> enumerate(uint16_t, uint16_t productId) override {
        std::vector<hid::DeviceInfo> all = {{"/dev/hidraw7", 0x2047, 0x09BF, 1, u"Vorla", u"Q"},
                                            {"/dev/hidraw9", 0x2047, 0x0200, 0, u"TI", u"BSL"}};
        std::erase_if(all,
                      [&](const auto& d) { return productId != 0 && d.productId != productId; });
        return all;
    }
    std::unique_ptr<hid::Device> openPath(const std::string&) override { return nullptr; }
    bool accessDenied(const std::string&) override { return denied; }
    void shutdown() override {}
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler) override { return nullptr; }
};

class NoAccess : public ::testing::Test {
  protected:
    void SetUp() override { hid::setBackend(bus); }
    void TearDown() override { hid::setBackend(nullptr); }
    std::shared_ptr<ClosedBus> bus = std::make_shared<ClosedBus>();
};

// The keypad's rescan and the loader's opening name the node and the rule only when permission
// is what is missing.
TEST_F(NoAccess, RescanAndLoaderNameTheNodeAndTheRuleOnlyWhenPermissionIsMissing) {
    for (bool denied : {true, false}) {
        SCOPED_TRACE(denied ? "permission denied" : "not there");
        bus->denied = denied;
        testing::RecordingUi ui;
        EXPECT_FALSE(rescanKeypad(ui));
        ASSERT_EQ(ui.warnings().size(), 1u);
        BslLibrary bsl;
        bsl.BSL_setFamily(kFamilyF5xx);
        bsl.BSL_setCom(kComUsb);
        EXPECT_EQ(bsl.BSL_initialize_BSL("PID=0x0200,VID=0x2047"),
                  denied ? kBslAccessDenied : kBslDeviceAbsent);
        if (!denied) {
            EXPECT_EQ(ui.warnings()[0], kNotConnectedMessage);
            continue;
        }
        for (auto [text, node] : {std::pair{ui.warnings()[0], "/dev/hidraw7"},
                                  std::pair{bsl.lastError(), "/dev/hidraw9"}}) {
            EXPECT_NE(text.find(node), std::string::npos) << text;
            EXPECT_NE(text.find(kWhatOpensIt), std::string::npos) << text;
        }
        EXPECT_NE(ui.warnings()[0].find(kRefusal), std::string::npos);
    }
}

TEST_F(NoAccess, DeviceListMarksEachClosedDevice) {
    std::ostringstream text;
    auto denied = cli::printDevices(text, false);
    EXPECT_EQ(text.str(),
              "keypad  2047:09bf  interface 1  /dev/hidraw7  Vorla Q  no access\n"
              "loader  2047:0200  interface 0  /dev/hidraw9  TI BSL  no access\n");
    EXPECT_EQ(denied.path, "/dev/hidraw7");
    std::ostringstream json;
    bus->denied = false;
    EXPECT_TRUE(cli::printDevices(json, true).path.empty());
    EXPECT_NE(json.str().find("\"access\":true"), std::string::npos) << json.str();
}

}  // namespace
}  // namespace lumora_usb_encoder
