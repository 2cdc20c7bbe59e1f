#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "settings/settings_ini.h"
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
    auto settings = readSettingsInto(fields);
    if (!settings) {
        ui.warn("Unable to Save Config file.", kCaptionQuillon);
        return SaveResult::StatusFailed;
    }
    bool allWritten = true;
    for (const auto& [key, value] : settingsToIni(*settings)) {
        allWritten = SetSettings(ui, FileName, key, value) && allWritten;
    }
    return allWritten ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace lumora_usb_encoder
