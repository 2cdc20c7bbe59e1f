#include "selftest/keyboard_reader.h"

#include <array>
#include <string>

#include "device/device_connection.h"

namespace lumora_usb_encoder::selftest {

namespace {
constexpr int kKeyboardInterface = 0;
constexpr size_t kReadCapacity = 64;  // more than any report of the interface
}  // namespace

bool KeyboardReader::open() {
    device_.reset();
    last_ = {};
    for (const auto& info : hid::backend().enumerate(kKeypadVendorId, kKeypadProductId)) {
        if (info.interfaceNumber == kKeyboardInterface) {
            device_ = hid::backend().openPath(info.path);
            if (device_) {
                (void)poll();  // keys typed before anyone listened are not this reader's
                return device_ != nullptr;
            }
        }
    }
    return false;
}

std::vector<uint8_t> KeyboardReader::poll() {
    std::vector<uint8_t> pressed;
    std::array<uint8_t, kReadCapacity> buffer{};
    while (device_) {
        int got = device_->read(buffer.data(), buffer.size());
        if (got < 0) {
            device_.reset();
        }
        if (got <= 0) {
            break;
        }
        std::string error;
        auto report = decodeBootReport(std::span(buffer.data(), static_cast<size_t>(got)), error);
        if (!report) {
            continue;  // not a keyboard report: nothing a person typed
        }
        auto fresh = newlyPressed(last_, *report);
        pressed.insert(pressed.end(), fresh.begin(), fresh.end());
        last_ = *report;
    }
    return pressed;
}

}  // namespace lumora_usb_encoder::selftest
