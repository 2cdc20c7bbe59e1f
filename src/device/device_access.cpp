#include "device/device_access.h"

#include <algorithm>

#include "device/device_connection.h"
#include "device/hid_backend.h"

namespace lumora_usb_encoder {

const char* installedUdevRule() {
    return QUILLON_UDEV_RULE_PATH;
}

std::string noAccessMessage(const std::string& what, const std::string& path) {
#ifdef _WIN32
    // Windows lets every user open a HID device; what refuses it is a program that holds it.
    return what + " is connected at " + path +
           ", but it cannot be opened: access denied.\n"
           "Another program holds it open. Close that program, or unplug the keypad and plug it "
           "in again.";
#else
    return what + " is connected at " + path +
           ", but it cannot be opened: permission denied.\n"
           "The udev rule " +
           installedUdevRule() +
           " is missing. Install it (see the README's \"Install\"), then unplug the keypad and "
           "plug it in again.";
#endif
}

std::string deniedNode(uint16_t vendorId, uint16_t productId, uint8_t interfaceNumber) {
    auto devices = hid::backend().enumerate(vendorId, productId);
    auto match = std::find_if(devices.begin(), devices.end(), [&](const hid::DeviceInfo& info) {
        return info.vendorId == vendorId && info.productId == productId &&
               (interfaceNumber == kAnyInterface || info.interfaceNumber == interfaceNumber);
    });
    if (match == devices.end() || match->path.empty() ||
        !hid::backend().accessDenied(match->path)) {
        return {};
    }
    return match->path;
}

}  // namespace lumora_usb_encoder
