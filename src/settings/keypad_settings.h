#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/status_record.h"

namespace lumora_usb_encoder {

// The keypad's settings as one value: what a status read gives, a settings file or an upgrade
// backup keeps, and a restore sends back. Every job that carries settings from one of those
// places to another goes through this type, so a change to what is carried is made once.
struct KeypadSettings {
    uint8_t ledBrightness = 0;
    uint8_t ledColour = 0;
    uint8_t buzzer = 0;
    uint8_t buzzerPeriod = 0;  // as the buzzer period command takes it: a reported 0 is 2
    uint8_t keypadType = 0;
    uint8_t options = 0;
    std::string serialNumber;
    std::vector<uint8_t> codeTable;  // as long as the table the keypad reports for its type

    bool operator==(const KeypadSettings&) const = default;
};

KeypadSettings settingsFromStatus(const DeviceStatus& status);

// What the code table command is given for these settings. A table of 20 is sent as it is, as
// the small keypads always had it. A longer one is sent whole when the keypad type takes that
// many, in the 32-byte form the 12- and 16-key editors send (zeros after the last key), and
// otherwise its first 20.
std::vector<uint8_t> codeTablePayload(const KeypadSettings& settings);

// The status read, as settings; nullopt when the command or the record failed.
std::optional<KeypadSettings> readKeypadSettings();

// The buzzer period list shows periods 1-9 at entries 0-8; files keep the entry. A stored
// period of 0 sounds as period 2, so it is shown (and kept) as that entry.
int32_t periodListIndex(uint8_t period);
uint8_t periodFromListIndex(int32_t index);

}  // namespace lumora_usb_encoder
