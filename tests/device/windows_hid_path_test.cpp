#include "device/windows_hid_path.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lumora_usb_encoder::hid {
namespace {

constexpr const char* kInstance = "#7&2b8f3b2c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::string path(const std::string& hardwareId) {
    return "\\\\?\\hid#" + hardwareId + kInstance;
}

// Paths as Windows names the keypad's and its loader's collections.
TEST(WindowsHidPath, TakesVendorProductAndInterfaceFromTheHardwareId) {
    const std::tuple<const char*, std::string, uint16_t, uint16_t, int> cases[] = {
        {"KeypadInterface1", path("vid_2047&pid_09bf&mi_01"), 0x2047, 0x09BF, 1},
        {"KeyboardSide", path("vid_2047&pid_09bf&mi_00"), 0x2047, 0x09BF, 0},
        {"UpperCase", "\\\\?\\HID#VID_2047&PID_09BF&MI_01#7&1&0&0000#{X}", 0x2047, 0x09BF, 1},
        {"Collection", path("vid_2047&pid_09bf&mi_00&col02"), 0x2047, 0x09BF, 0},
        {"LoaderHasOneInterface", path("vid_2047&pid_0200"), 0x2047, 0x0200, -1},
        {"HexInterface", path("vid_046d&pid_c52b&mi_0a"), 0x046D, 0xC52B, 10},
        {"DotPrefix", "\\\\.\\hid#vid_2047&pid_09bf&mi_01#x", 0x2047, 0x09BF, 1},
    };
    for (const auto& [name, text, vendor, product, interfaceNumber] : cases) {
        auto parsed = parseWindowsHidPath(text);
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(parsed->vendorId, vendor) << name;
        EXPECT_EQ(parsed->productId, product) << name;
        EXPECT_EQ(parsed->interfaceNumber, interfaceNumber) << name;
    }
}

// Anything else is no USB device of ours, and a damaged path never yields a wrong interface.
TEST(WindowsHidPath, RefusesPathsOfOtherFormsAndDamagedOnes) {
    const std::tuple<const char*, std::string> cases[] = {
        {"Empty", ""},
        {"Bluetooth", path("{00001124-0000-1000-8000-00805f9b34fb}_vid&0002046d_pid&b01a")},
        {"OtherClass", "\\\\?\\usb#vid_2047&pid_09bf&mi_01" + std::string(kInstance)},
        {"NoPrefix", "hid#vid_2047&pid_09bf&mi_01" + std::string(kInstance)},
        {"NoInstance", "\\\\?\\hid#vid_2047&pid_09bf&mi_01"},
        {"VendorMissing", path("pid_09bf&mi_01")},
        {"ProductMissing", path("vid_2047&mi_01")},
        {"VendorNotHex", path("vid_20g7&pid_09bf&mi_01")},
        {"ProductCutShort", path("vid_2047&pid_09b&mi_01")},
        {"ProductTooLong", path("vid_2047&pid_09bf0&mi_01")},
        {"InterfaceNotHex", path("vid_2047&pid_09bf&mi_x1")},
        {"InterfaceCutShort", path("vid_2047&pid_09bf&mi_1")},
        {"PrefixOnly", "\\\\?\\hid#"},
    };
    for (const auto& [name, text] : cases) {
        EXPECT_EQ(parseWindowsHidPath(text).has_value(), false) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::hid
