#include "device/device_connection.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "device/device_access.h"

namespace lumora_usb_encoder {

hid_device* hid_handle = nullptr;

std::recursive_mutex& exchangeMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

namespace {

constexpr const char* kNone = "None";
constexpr const char* kUnableToFind = "Unable To Find";

void copyText(char* buffer, const char* text) {
    std::strncpy(buffer, text, kDeviceTextSize - 1);
    buffer[kDeviceTextSize - 1] = '\0';
}

// Each UTF-16 unit keeps its low byte only; a zero unit ends the text.
void narrowInto(char* buffer, const std::u16string& text) {
    size_t n = 0;
    for (char16_t unit : text) {
        if (unit == 0 || n == kDeviceTextSize - 1) {
            break;
        }
        buffer[n++] = static_cast<char>(unit & 0xFF);
    }
    buffer[n] = '\0';
}

template <typename Reader>
void readDeviceText(hid_device* device, char* buffer, Reader reader) {
    std::u16string text;
    if ((device->*reader)(text) != 0) {
        copyText(buffer, kUnableToFind);
    } else {
        narrowInto(buffer, text);
    }
}

}  // namespace

hid_device* OpenKeypadInterface(uint16_t vendorId, uint16_t productId, uint8_t interfaceNumber) {
    auto devices = hid::backend().enumerate(vendorId, productId);
    auto match = std::find_if(devices.begin(), devices.end(), [&](const hid::DeviceInfo& info) {
        return info.vendorId == vendorId && info.productId == productId &&
               (interfaceNumber == kAnyInterface || info.interfaceNumber == interfaceNumber);
    });
    if (match == devices.end() || match->path.empty()) {
        return nullptr;
    }
    // Only the first match is tried: a keypad whose command interface will not open is reported
    // as missing rather than silently replaced by another one.
    return hid::backend().openPath(match->path).release();
}

hid_device* ScanForUSBDevice_a(int32_t vendorId, int32_t productId, char* manufacturer,
                               char* product) {
    std::lock_guard lock(exchangeMutex());
    (void)hid::backend().enumerate(0, 0);  // starts the HID layer
    hid_device* device = OpenKeypadInterface(static_cast<uint16_t>(vendorId),
                                             static_cast<uint16_t>(productId), kKeypadInterface);
    if (device == nullptr) {
        copyText(manufacturer, kNone);
        copyText(product, kNone);
        return nullptr;
    }
    readDeviceText(device, manufacturer, &hid::Device::manufacturerString);
    readDeviceText(device, product, &hid::Device::productString);
    return device;  // our devices are opened for the polling read with time-out already
}

void hid_exit_safely(hid_device* handle) {
    std::lock_guard lock(exchangeMutex());
    delete handle;
    if (handle == hid_handle) {
        hid_handle = nullptr;
    }
    hid::backend().shutdown();
}

bool rescanKeypad(UserInterface& ui) {
    bool found = false;
    std::string denied;
    {
        std::lock_guard lock(exchangeMutex());
        if (hid_handle != nullptr) {
            hid_exit_safely(hid_handle);
        }
        char manufacturer[kDeviceTextSize];
        char product[kDeviceTextSize];
        hid_handle = ScanForUSBDevice_a(kKeypadVendorId, kKeypadProductId, manufacturer, product);
        found = hid_handle != nullptr;
        if (!found) {
            denied = deniedNode(kKeypadVendorId, kKeypadProductId, kKeypadInterface);
        }
    }
    // The message waits for the user: never hold the lock across it. A keypad that is there but
    // closed to the user is not reported as missing, or they would go looking for a cable fault.
    if (!denied.empty()) {
        ui.warn(noAccessMessage("Vorla Quillon™", denied), kCaptionQuillon);
    } else if (!found) {
        ui.warn(kNotConnectedMessage, kCaptionQuillon);
    }
    return found;
}

void closeKeypad() {
    std::lock_guard lock(exchangeMutex());
    if (hid_handle != nullptr) {
        hid_exit_safely(hid_handle);
    }
}

}  // namespace lumora_usb_encoder
