#include "settings/settings_lists.h"

#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

const SettingsListSpec& settingsListSpec(SettingsList list) {
    static const std::array<SettingsListSpec, 5> specs = {{
        {Command::LedBrightness, "Unable to set the LED Brightness.."},
        {Command::LedColour, "Unable to set LED colour.."},
        {Command::Buzzer, "Unable to set Buzzer On/Off.."},
        {Command::BuzzerPeriod, "Unable to set Buzzer Period.."},
        {Command::KeypadType, "Unable to set Keypad Type.."},
    }};
    return specs[static_cast<size_t>(list)];
}

namespace {

int32_t& acceptedField(KeypadFields& fields, SettingsList list) {
    switch (list) {
        case SettingsList::LedBrightness:
            return fields.prev_ledBrightness_index;
        case SettingsList::LedColour:
            return fields.prev_ledColour_index;
        case SettingsList::Buzzer:
            return fields.prev_buzzer_index;
        case SettingsList::BuzzerPeriod:
            return fields.prev_buzzerPeriod_index;
        case SettingsList::KeypadType:
            break;
    }
    return fields.prev_keypadType_index;
}

}  // namespace

int32_t acceptedIndex(const KeypadFields& fields, SettingsList list) {
    int32_t value = acceptedField(const_cast<KeypadFields&>(fields), list);
    return list == SettingsList::KeypadType ? keypadTypeListEntry(value) : value;
}

bool commitListChoice(UserInterface& ui, KeypadFields& fields, SettingsList list, int32_t entry) {
    BusyScope busy(ui);
    const auto& spec = settingsListSpec(list);
    // The table list's entries stand for the three tables of the keypad's own family.
    int32_t value = list == SettingsList::KeypadType
                        ? keypadTypeForListEntry(fields.prev_keypadType_index, entry)
                        : entry;
    auto payload = list == SettingsList::BuzzerPeriod ? periodFromListIndex(entry)
                                                      : static_cast<uint8_t>(value);
    if (sendByte(spec.command, payload) != kResultOk) {
        ui.warn(spec.failure, kCaptionQuillon);
        return false;
    }
    acceptedField(fields, list) = value;
    return true;
}

}  // namespace lumora_usb_encoder
