#include "settings/keypad_fields.h"

#include <algorithm>

#include "settings/keypad_settings.h"
#include "support/printable_text.h"

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

int32_t keypadTypeListEntry(int32_t keypadType) {
    return keypadType >= 0 && keypadType <= 8 ? keypadType % 3 : -1;
}

int32_t keypadTypeForListEntry(int32_t currentType, int32_t entry) {
    int32_t family = currentType >= 0 && currentType <= 8 ? currentType / 3 : 0;
    return family * 3 + entry;
}

std::string variantText(int32_t noOfWayKeypad, int32_t keypadType) {
    if (keypadType >= 3 && keypadType <= 5) {
        return "12Way Keypad";
    }
    if (keypadType >= 6 && keypadType <= 8) {
        return "16Way Keypad";
    }
    if (noOfWayKeypad >= 0 && noOfWayKeypad < static_cast<int32_t>(keypadArray.size())) {
        return keypadArray[static_cast<size_t>(noOfWayKeypad)];
    }
    return "Variant " + std::to_string(noOfWayKeypad);
}

std::string keypadTypeText(int32_t keypadType) {
    if (int32_t entry = keypadTypeListEntry(keypadType); entry >= 0) {
        return keypadTypeEntries[static_cast<size_t>(entry)];
    }
    return "Table " + std::to_string(keypadType);
}

StatusLines connectedView(const KeypadFields& fields) {
    return {
        std::string("Device Connected   -    ") + "Quillon™" +
            "                Firmware Version        -   " + printableText(fields.firmwareVersion),
        std::string("Keypad Selected     -    ") +
            variantText(fields.noOfWayKeypad, fields.prev_keypadType_index) +
            "         Code Table Loaded     -   " + keypadTypeText(fields.prev_keypadType_index),
        std::string("Serial Number          -    ") + printableText(fields.serialNumber),
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
