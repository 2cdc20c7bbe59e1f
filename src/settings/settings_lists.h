#pragma once

#include <array>
#include <cstdint>

#include "device/keypad_commands.h"
#include "settings/keypad_fields.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// The five settings lists of the main window, in the order they stand in it.
enum class SettingsList { LedBrightness, LedColour, Buzzer, BuzzerPeriod, KeypadType };

inline constexpr std::array<SettingsList, 5> kSettingsLists = {
    SettingsList::LedBrightness, SettingsList::LedColour, SettingsList::Buzzer,
    SettingsList::BuzzerPeriod, SettingsList::KeypadType};

struct SettingsListSpec {
    Command command;
    const char* failure;
};

const SettingsListSpec& settingsListSpec(SettingsList list);

// The entry of `list` the keypad last accepted (for the table list: the entry of the keypad's
// type within its family; -1 when no entry stands for it).
int32_t acceptedIndex(const KeypadFields& fields, SettingsList list);

// A choice the user committed in a list: sends it at once. On success the choice becomes the
// accepted entry; on failure the list's message is shown and the fields are left alone, so the
// caller puts the list back on acceptedIndex().
bool commitListChoice(UserInterface& ui, KeypadFields& fields, SettingsList list, int32_t entry);

}  // namespace lumora_usb_encoder
