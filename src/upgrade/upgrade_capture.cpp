#include "upgrade/upgrade_capture.h"

#include <vector>

#include "settings/settings_file.h"
#include "settings/settings_ini.h"
#include "support/file_io.h"
#include "support/file_lock.h"
#include "support/ini_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {
constexpr const char* kBackupFileName = "UpgradeBackup.ini";
}  // namespace

std::string upgradeBackupPath(const std::string& settingsFile) {
    return utf8String(utf8Path(settingsFile).parent_path() / kBackupFileName);
}

bool writeUpgradeBackup(const std::string& path, const KeypadSettings& settings,
                        const std::string& firmwareFile) {
    auto lock = FileLock::take(path);
    if (!lock) {
        return false;
    }
    auto values = settingsToIni(settings);
    values.emplace_back("FirmwareFile", firmwareFile);
    (void)createFolder(utf8String(utf8Path(path).parent_path()));
    // Newest key first under the section line, as the settings file has them.
    std::vector<CIniFile::Record> records = {{"", ' ', kSettingsSection, "", ""}};
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        records.push_back({"", ' ', kSettingsSection, it->first, it->second});
    }
    return CIniFile::Save(path, records);
}

std::string backupNotWrittenMessage(const std::string& path, const char* lineBreak) {
    return "The settings backup cannot be written: " + path + lineBreak +
           "Nothing was sent to the keypad; the firmware upgrade was not started.";
}

std::optional<KeypadSettings> readUpgradeBackup(const std::string& path, std::string& problem) {
    if (!readWholeFile(path)) {
        problem = "cannot read " + path;
        return std::nullopt;
    }
    auto value = [&](const char* key) { return CIniFile::GetValue(key, kSettingsSection, path); };
    if (value("FirstUp") != "Yes") {
        problem = path + " holds no saved settings";
        return std::nullopt;
    }
    auto settings = settingsFromIni(value, TableNeed::Always, problem);
    if (!settings) {
        problem = path + ": " + problem;
        return std::nullopt;
    }
    return settings;
}

}  // namespace lumora_usb_encoder
