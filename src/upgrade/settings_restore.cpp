#include "upgrade/settings_restore.h"

#include <array>

#include "settings/settings_sender.h"

namespace lumora_usb_encoder {

namespace {

constexpr std::array<SendStep, 10> kRestoreAfterUpgrade = {{
    {SettingStep::Reopen, ""},
    {SettingStep::Options, "Unable to set OPTION.."},
    {SettingStep::SerialNumber, "Unable to set Serial Number.."},
    {SettingStep::FactoryReset, ""},
    {SettingStep::KeypadType, "Unable to set Keypad Type.."},
    {SettingStep::CodeTable, "Unable to Load Table.."},
    {SettingStep::LedBrightness, "Unable to set LED Brightness.."},
    {SettingStep::Buzzer, "Unable to set Buzzer.."},
    {SettingStep::BuzzerPeriod, "Unable to set Buzzer period.."},
    {SettingStep::WriteDefaults, "Unable to Write Default.."},
}};

}  // namespace

bool restoreSettingsAfterUpgrade(const KeypadSettings& settings, UserInterface& ui,
                                 const std::function<void(const std::string&)>& log,
                                 SettingStep* failed) {
    auto stopped = sendSettings(ui, settings, kRestoreAfterUpgrade, log);
    if (stopped && failed != nullptr) {
        *failed = *stopped;
    }
    return !stopped;
}

}  // namespace lumora_usb_encoder
