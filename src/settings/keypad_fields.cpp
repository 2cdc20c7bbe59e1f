#include "settings/keypad_fields.h"

#include <algorithm>

#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

void unpackStatus(const DeviceStatus& status, KeypadFields& fields) {
    fields.prev_ledBrightness_index = status.ledBrightness;
    fields.prev_ledColour_index = status.ledColour;
    fields.prev_buzzer_index = status.buzzer;
    fields.prev_options_fitted = status.options;
    fields.noOfWayKeypad = status.options & 3;
    fields.prev_buzzerPeriod_index = periodListIndex(status.buzzerPeriod);
    fields.prev_keypadType_index = status.keypadType;
    size_t count = std::min(status.codeTable.size(), fields.keyCodeArray.size());
    std::copy_n(status.codeTable.begin(), count, fields.keyCodeArray.begin());
    fields.firmwareVersion = status.firmwareVersion;
    fields.serialNumber = status.serialNumber;
}

int8_t GetDeviceStatusMessage(KeypadFields& fields) {
    auto status = readDeviceStatus();
    if (!status) {
        return -1;
    }
    unpackStatus(*status, fields);
    return 0;
}

std::optional<KeypadSettings> readSettingsInto(KeypadFields& fields) {
    auto status = readDeviceStatus();
    if (!status) {
        return std::nullopt;
    }
    unpackStatus(*status, fields);
    return settingsFromStatus(*status);
}

std::string variantText(int32_t noOfWayKeypad) {
    if (noOfWayKeypad >= 0 && noOfWayKeypad < static_cast<int32_t>(keypadArray.size())) {
        return keypadArray[static_cast<size_t>(noOfWayKeypad)];
    }
    return "Variant " + std::to_string(noOfWayKeypad);
}

std::string keypadTypeText(int32_t keypadType) {
    if (keypadType >= 0 && keypadType < static_cast<int32_t>(keypadTypeEntries.size())) {
        return keypadTypeEntries[static_cast<size_t>(keypadType)];
    }
    return "Table " + std::to_string(keypadType);
}

StatusLines connectedView(const KeypadFields& fields) {
    return {
        std::string("Device Connected   -    ") + "Quillon™" +
            "                Firmware Version        -   " + fields.firmwareVersion,
        std::string("Keypad Selected     -    ") + variantText(fields.noOfWayKeypad) +
            "         Code Table Loaded     -   " + keypadTypeText(fields.prev_keypadType_index),
        std::string("Serial Number          -    ") + fields.serialNumber,
    };
}

StatusLines disconnectedView() {
    return {
        std::string("Device Connected   -    ") + "None" +
            "                                Firmware Version        -   " + "None",
        std::string("Keypad Selected     -    ") + "None" +
            "                                Code Table Loaded     -   " + "None",
        std::string("Serial Number          -    ") + "None",
    };
}

}  // namespace lumora_usb_encoder
