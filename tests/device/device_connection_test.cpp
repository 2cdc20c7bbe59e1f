#include "device/device_connection.h"

#include <gtest/gtest.h>

#include <set>

#include "common/recording_ui.h"
#include "scripted_device.h"

namespace lumora_usb_encoder {
namespace {

// A bus described by its enumeration; each path opens to a scripted device unless it is listed
// as failing.
class FakeBackend : public hid::Backend {
  public:
    std::vector<hid::DeviceInfo> devices;
    std::set<std::string> failingOpens;
    std::u16string manufacturer = u"Vorla";
    bool stringsFail = false;
    std::vector<std::string> opened;
    int shutdowns = 0;
    std::shared_ptr<int> closes = std::make_shared<int>(0);

    std::vector<hid::DeviceInfo> enumerate(uint16_t vid, uint16_t pid) override {
        return testing::matching(devices, vid, pid);
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override {
        opened.push_back(path);
        if (failingOpens.count(path)) {
            return nullptr;
        }
        auto device = std::make_unique<testing::ScriptedDevice>();
        device->manufacturer = manufacturer;
        device->stringResult = stringsFail ? -1 : 0;
        device->closes = closes;
        return device;
    }
    void shutdown() override { ++shutdowns; }
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler) override { return nullptr; }
};

hid::DeviceInfo entry(const std::string& path, int iface, uint16_t pid = 0x09BF) {
    return {path, 0x2047, pid, iface, u"", u""};
}

class DeviceConnection : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = std::make_shared<FakeBackend>();
        hid::setBackend(backend);
    }
    void TearDown() override { closeKeypad(); }
    std::shared_ptr<FakeBackend> backend;
    char manufacturer[kDeviceTextSize] = {};
    char product[kDeviceTextSize] = {};
};

TEST_F(DeviceConnection, OpensTheFirstKeypadWithInterfaceOne) {
    struct Case {
        const char* name;
        std::vector<hid::DeviceInfo> devices;
        std::set<std::string> failing;
        std::vector<std::string> expectOpened;
        bool found;
    };
    const Case cases[] = {
        {"two keypads", {entry("a0", 0), entry("a1", 1), entry("b1", 1)}, {}, {"a1"}, true},
        {"interface 0 only", {entry("a0", 0)}, {}, {}, false},
        {"other product", {entry("x1", 1, 0x0200)}, {}, {}, false},
        {"first match fails to open", {entry("a1", 1), entry("b1", 1)}, {"a1"}, {"a1"}, false},
        {"empty bus", {}, {}, {}, false}};
    for (const auto& c : cases) {
        SetUp();
        backend->devices = c.devices;
        backend->failingOpens = c.failing;
        hid_device* device = ScanForUSBDevice_a(0x2047, 0x09BF, manufacturer, product);
        EXPECT_EQ(device != nullptr, c.found) << c.name;
        EXPECT_EQ(backend->opened, c.expectOpened) << c.name;
        if (!c.found) {
            EXPECT_EQ(std::string(manufacturer) + "|" + product, "None|None") << c.name;
        }
        delete device;
    }
}

TEST_F(DeviceConnection, NarrowsDeviceStringsSafely) {
    struct Case {
        const char* name;
        std::u16string text;
        bool fail;
        std::string expected;
    };
    const Case cases[] = {
        {"ascii", u"ABC", false, "ABC"},
        {"low bytes only", u"\u0141\u00E9", false, "\x41\xE9"},
        {"empty", u"", false, ""},
        {"unreadable", u"ABC", true, "Unable To Find"},
        {"cut at 47 characters", std::u16string(60, u'x'), false, std::string(47, 'x')}};
    for (const auto& c : cases) {
        backend->devices = {entry("k", 1)};
        backend->manufacturer = c.text;
        backend->stringsFail = c.fail;
        std::memset(manufacturer, 0x7F, sizeof manufacturer);
        hid_device* device = ScanForUSBDevice_a(0x2047, 0x09BF, manufacturer, product);
        ASSERT_NE(device, nullptr) << c.name;
        EXPECT_EQ(std::string(manufacturer), c.expected) << c.name;
        delete device;
    }
}

TEST_F(DeviceConnection, RescanClosesTheOpenKeypadOnceAndWarnsOnlyWhenNoneIsLeft) {
    testing::RecordingUi ui;
    backend->devices = {entry("k", 1)};
    EXPECT_TRUE(rescanKeypad(ui));
    auto closesAndShutdowns = [&] { return std::pair(*backend->closes, backend->shutdowns); };
    EXPECT_EQ(closesAndShutdowns(), std::pair(0, 0));
    // A present keypad replaces the old handle silently: the first handle closed, HID shut once.
    EXPECT_TRUE(rescanKeypad(ui));
    EXPECT_EQ(closesAndShutdowns(), std::pair(1, 1));
    EXPECT_NE(hid_handle, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    backend->devices.clear();
    EXPECT_FALSE(rescanKeypad(ui));
    EXPECT_EQ(hid_handle, nullptr);
    EXPECT_EQ(closesAndShutdowns(), std::pair(2, 2));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Vorla Quillon™ not connected..");
    EXPECT_EQ(ui.messages[0].caption, "Vorla Quillon™");
}

}  // namespace
}  // namespace lumora_usb_encoder
