// A keypad or loader on the bus whose node the user may not open is reported as such, with the
// node and the udev rule, never as "not connected".
#include <gtest/gtest.h>

#include <sstream>

#include "../support/recording_ui.h"
#include "cli/device_listing.h"
#include "device/device_access.h"
#include "device/device_connection.h"
#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {
namespace {

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

TEST_F(NoAccess, RescanNamesTheNodeAndTheRuleOnlyWhenPermissionIsMissing) {
    for (bool denied : {true, false}) {
        bus->denied = denied;
        testing::RecordingUi ui;
        EXPECT_FALSE(rescanKeypad(ui));
        ASSERT_EQ(ui.warnings().size(), 1u);
        std::string text = ui.warnings()[0];
        if (denied) {
            EXPECT_NE(text.find("/dev/hidraw7"), std::string::npos) << text;
            EXPECT_NE(text.find(installedUdevRule()), std::string::npos) << text;
            EXPECT_NE(text.find("permission denied"), std::string::npos) << text;
        } else {
            EXPECT_EQ(text, kNotConnectedMessage);
        }
    }
}

TEST_F(NoAccess, LoaderThatCannotBeOpenedSaysWhy) {
    BslLibrary bsl;
    bsl.BSL_setFamily(kFamilyF5xx);
    bsl.BSL_setCom(kComUsb);
    EXPECT_EQ(bsl.BSL_initialize_BSL("PID=0x0200,VID=0x2047"), kBslAccessDenied);
    EXPECT_NE(bsl.lastError().find("/dev/hidraw9"), std::string::npos) << bsl.lastError();
    EXPECT_NE(bsl.lastError().find(installedUdevRule()), std::string::npos) << bsl.lastError();
    bus->denied = false;
    EXPECT_EQ(bsl.BSL_initialize_BSL("PID=0x0200,VID=0x2047"), kBslDeviceAbsent);
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
