#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

KeypadSettings settingsFromStatus(const DeviceStatus& status) {
    return {status.ledBrightness, status.ledColour, status.buzzer,       status.buzzerPeriod,
            status.keypadType,    status.options,   status.serialNumber, status.codeTable};
}

std::optional<KeypadSettings> readKeypadSettings() {
    auto status = readDeviceStatus();
    if (!status) {
        return std::nullopt;
    }
    return settingsFromStatus(*status);
}

int32_t periodListIndex(uint8_t period) {
    return period == 0 ? 1 : period - 1;
}

uint8_t periodFromListIndex(int32_t index) {
    return static_cast<uint8_t>(index + 1);
}

}  // namespace lumora_usb_encoder
