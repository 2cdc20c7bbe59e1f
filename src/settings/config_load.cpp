#include <array>

#include "settings/config_files.h"
#include "settings/settings_file_check.h"
#include "settings/settings_ini.h"
#include "settings/settings_sender.h"

namespace lumora_usb_encoder {

namespace {

// Options before the factory reset, which keeps them; everything else after it.
constexpr std::array<SendStep, 9> kRestoreSteps = {{
    {SettingStep::Options, "Unable to set option.."},
    {SettingStep::FactoryReset, ""},
    {SettingStep::KeypadType, "Unable to set option.."},
    {SettingStep::CodeTable, "Unable to Load Table.."},
    {SettingStep::LedBrightness, "Unable to set LED Brightness.."},
    {SettingStep::LedColour, "Unable to set LED Color.."},
    {SettingStep::Buzzer, "Unable to set Buzzer.."},
    {SettingStep::BuzzerPeriod, "Unable to set Buzzer period.."},
    {SettingStep::WriteDefaults, "Unable to write default.."},
}};

}  // namespace

LoadResult load_data_from_file(UserInterface& ui, const std::string& file) {
    // Such a file would otherwise pass for one that holds nothing, and nothing would be said.
    if (auto why = whyUnreadableAsSettings(file)) {
        ui.warn(unreadableSettingsMessage(file, *why), kCaptionQuillon);
        return LoadResult::Unreadable;
    }
    if (GetSettings("FirstUp", file) != "Yes") {
        return LoadResult::NotSaved;
    }
    std::string problem;
    auto settings = settingsFromIni([&](const char* key) { return GetSettings(key, file); },
                                    TableNeed::WhenCustom, problem);
    if (!settings) {
        ui.warn("File is incorrect format.", kCaptionQuillon);
        return LoadResult::IncorrectFormat;
    }
    auto failed = sendSettings(ui, *settings, kRestoreSteps);
    if (!failed) {
        return LoadResult::Sent;
    }
    return *failed == SettingStep::CodeTable ? LoadResult::TableFailed : LoadResult::StepFailed;
}

}  // namespace lumora_usb_encoder
