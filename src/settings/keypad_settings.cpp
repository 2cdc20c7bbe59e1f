#include "settings/keypad_settings.h"

#include <algorithm>

namespace lumora_usb_encoder {

KeypadSettings settingsFromStatus(const DeviceStatus& status) {
    // A period of 0 is refused by the buzzer period command; it sounds as, and is shown as, 2.
    uint8_t period = periodFromListIndex(periodListIndex(status.buzzerPeriod));
    return {status.ledBrightness, status.ledColour, status.buzzer,       period,
            status.keypadType,    status.options,   status.serialNumber, status.codeTable};
}

std::vector<uint8_t> codeTablePayload(const KeypadSettings& settings) {
    constexpr size_t kSmallTable = 20;
    constexpr size_t kLargeTableForm = 32;
    const auto& table = settings.codeTable;
    size_t takes = codeTableLength(settings.keypadType);
    if (table.size() <= kSmallTable || takes <= kSmallTable) {
        return {table.begin(),
                table.begin() + static_cast<long>(std::min(table.size(), kSmallTable))};
    }
    std::vector<uint8_t> payload(table.begin(),
                                 table.begin() + static_cast<long>(std::min(table.size(), takes)));
    payload.resize(kLargeTableForm, 0);
    return payload;
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
