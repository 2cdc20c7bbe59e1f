#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "settings/settings_ini.h"
#include "support/file_lock.h"
#include "support/ini_file.h"

namespace lumora_usb_encoder {

std::string GetSettings(const std::string& key, const std::string& file) {
    return CIniFile::GetValue(key, kSettingsSection, file);
}

std::string fileBusyMessage(const std::string& file) {
    return file + " is busy: another program is writing it. Try again in a moment.";
}

bool SetSettings(UserInterface& ui, const std::string& FileName, const std::string& key,
                 const std::string& value) {
    auto lock = FileLock::take(FileName);
    if (!lock) {
        ui.warn(fileBusyMessage(FileName), kCaptionQuillon);
        return false;
    }
    if (auto why = whyNotReplaceableAsSettings(FileName)) {
        ui.warn(leftAsItIsMessage(FileName, *why), kCaptionQuillon);
        return false;
    }
    if (!CIniFile::SetValue(key, value, kSettingsSection, FileName)) {
        ui.warn("Failed to update USBUtilityCfg.ini file.", kCaptionQuillon);
        return false;
    }
    return true;
}

bool storeSettingsSnapshot(UserInterface& ui, const KeypadSettings& settings,
                           const std::string& FileName) {
    auto lock = FileLock::take(FileName);
    if (!lock) {
        ui.warn(fileBusyMessage(FileName), kCaptionQuillon);
        return false;
    }
    // A file pointed at by mistake keeps what it holds; a settings file is never half of one.
    if (auto why = whyNotReplaceableAsSettings(FileName)) {
        ui.warn(leftAsItIsMessage(FileName, *why), kCaptionQuillon);
        return false;
    }
    // One replace for the whole snapshot: a kill or a second save never leaves half of it.
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [key, value] : settingsToIni(settings)) {
        values.emplace_back(key, value);
    }
    if (!CIniFile::SetValues(values, kSettingsSection, FileName)) {
        for (size_t key = 0; key < values.size(); ++key) {
            ui.warn("Failed to update USBUtilityCfg.ini file.", kCaptionQuillon);
        }
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
    return storeSettingsSnapshot(ui, *settings, FileName) ? SaveResult::Saved
                                                          : SaveResult::WriteFailed;
}

}  // namespace lumora_usb_encoder
