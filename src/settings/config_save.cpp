#include <span>

#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "settings/settings_values.h"
#include "support/ini_file.h"

namespace lumora_usb_encoder {

std::string GetSettings(const std::string& key, const std::string& file) {
    return CIniFile::GetValue(key, kSettingsSection, file);
}

bool SetSettings(UserInterface& ui, const std::string& FileName, const std::string& key,
                 const std::string& value) {
    if (!CIniFile::SetValue(key, value, kSettingsSection, FileName)) {
        ui.warn("Failed to update USBUtilityCfg.ini file.", kCaptionQuillon);
        return false;
    }
    return true;
}

SaveResult SaveToConfigFile(UserInterface& ui, KeypadFields& fields, const std::string& FileName) {
    if (GetDeviceStatusMessage(fields) != 0) {
        ui.warn("Unable to Save Config file.", kCaptionQuillon);
        return SaveResult::StatusFailed;
    }
    auto table = std::span<const uint8_t>(fields.keyCodeArray).first(kStoredTableBytes);
    const std::pair<const char*, std::string> writes[] = {
        {"FirstUp", "Yes"},
        {"KeypadLayout", std::to_string(fields.prev_keypadType_index)},
        {"LedBrightness", std::to_string(fields.prev_ledBrightness_index)},
        {"LedColour", std::to_string(fields.prev_ledColour_index)},
        {"Buzzer", std::to_string(fields.prev_buzzer_index)},
        {"BuzzerPeriod", std::to_string(fields.prev_buzzerPeriod_index)},
        {"CodeTableValues", formatCodeTableValues(table)},
        {"Options", std::to_string(fields.prev_options_fitted)},
        {"SerialNumber", fields.serialNumber},
    };
    bool allWritten = true;
    for (const auto& [key, value] : writes) {
        allWritten = SetSettings(ui, FileName, key, value) && allWritten;
    }
    return allWritten ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace lumora_usb_encoder
