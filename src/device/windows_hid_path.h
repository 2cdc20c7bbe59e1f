#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lumora_usb_encoder::hid {

// What the path of a USB HID device on Windows says about it. The system names each HID
// collection by a path such as
//   \\?\hid#vid_2047&pid_09bf&mi_01#7&2b8f3b2c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
// whose second part is the device's hardware id: vendor, product, and for a composite device the
// USB interface ("mi_01", hexadecimal) and the collection ("col02"). The interface number comes
// from here alone; nothing else the system offers without a driver of our own tells it.
struct WindowsHidPath {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int interfaceNumber = -1;  // -1: not a composite device, it has the one interface
};

// nullopt for anything but a USB HID device path of that form (a Bluetooth device, a device of
// another class, a damaged path): letters in either case, four hexadecimal digits for vendor
// and product, two for the interface.
std::optional<WindowsHidPath> parseWindowsHidPath(std::string_view path);

}  // namespace lumora_usb_encoder::hid
