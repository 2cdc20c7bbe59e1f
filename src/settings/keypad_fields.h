#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/status_record.h"
#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

// What the main window knows about the connected keypad. The prev_ fields hold the last value
// the keypad accepted; a list whose change fails falls back to them.
struct KeypadFields {
    int32_t prev_ledBrightness_index = 0;
    int32_t prev_ledColour_index = 0;
    int32_t prev_buzzer_index = 0;
    int32_t prev_buzzerPeriod_index = 0;
    int32_t prev_keypadType_index = 0;
    int32_t prev_options_fitted = 0;
    int32_t noOfWayKeypad = 0;
    std::string firmwareVersion;
    std::string serialNumber;
    // The code table as last read; a status read refreshes only the bytes its record carries.
    std::array<uint8_t, kCodeTableCapacity> keyCodeArray{};
};

// Unpacks a status record into the fields (the main window's rules).
void unpackStatus(const DeviceStatus& status, KeypadFields& fields);

// The status read: 0 on success, -1 when the command failed or the record could not be read;
// the fields are then left as they were.
int8_t GetDeviceStatusMessage(KeypadFields& fields);

// The same read for a job that keeps the settings too: the fields are refreshed, and the
// settings the keypad reported are returned.
std::optional<KeypadSettings> readSettingsInto(KeypadFields& fields);

inline constexpr std::array<const char*, 3> keypadArray = {"5Way Keypad", "6Way Keypad",
                                                           "8Way Keypad"};
inline constexpr std::array<const char*, 3> keypadTypeEntries = {
    "Default      Table", "Alternate   Table", "Customise Table"};

// The keypad types come in three families of three tables each (default, alternate,
// customised): 0-2 for the 5-, 6- and 8-key keypads, 3-5 for 12 keys, 6-8 for 16 keys. The
// window's table list shows the three tables of the keypad's own family.
int32_t keypadTypeListEntry(int32_t keypadType);  // -1 for a type no family has
int32_t keypadTypeForListEntry(int32_t currentType, int32_t entry);

// Texts for values the lists have no entry for; the window shows such a value as it is rather
// than reading past its lists. The 12- and 16-key families are named by their type, the small
// keypads by the options byte.
std::string variantText(int32_t noOfWayKeypad, int32_t keypadType = 0);
std::string keypadTypeText(int32_t keypadType);

// The three lines of the status display; the keypad's own texts in them with their control
// characters escaped.
using StatusLines = std::array<std::string, 3>;
StatusLines connectedView(const KeypadFields& fields);
StatusLines disconnectedView();

}  // namespace lumora_usb_encoder
