#include "upgrade/upgrade_capture.h"

#include <chrono>
#include <ctime>
#include <filesystem>
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
constexpr const char* kStageKey = "UpgradeStage";
constexpr const char* kStageUpgradeMode = "UpgradeMode";
constexpr const char* kStageFlashTouched = "FlashTouched";

// The backup's last write in local time, as a person reads a date.
std::string savedAt(const std::string& path) {
    std::error_code error;
    auto written = std::filesystem::last_write_time(utf8Path(path), error);
    if (error) {
        return {};
    }
    auto seconds = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(written));
    std::time_t time = std::chrono::system_clock::to_time_t(seconds);
    // Only the window's thread and quillonctl's one thread ask for dates.
    const std::tm* local = std::localtime(&time);
    char text[32] = {};
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local) == 0) {
        return {};
    }
    return text;
}

}  // namespace

std::string upgradeBackupPath(const std::string& settingsFile) {
    return utf8String(utf8Path(settingsFile).parent_path() / kBackupFileName);
}

bool writeUpgradeBackup(const std::string& path, const KeypadSettings& settings,
                        const std::string& firmwareFile, BackupStage stage) {
    auto lock = FileLock::take(path);
    if (!lock) {
        return false;
    }
    auto values = settingsToIni(settings);
    values.emplace_back("FirmwareFile", firmwareFile);
    values.emplace_back(kStageKey,
                        stage == BackupStage::UpgradeMode ? kStageUpgradeMode : kStageFlashTouched);
    (void)createFolder(utf8String(utf8Path(path).parent_path()));
    // Newest key first under the section line, as the settings file has them.
    std::vector<CIniFile::Record> records = {{"", ' ', kSettingsSection, "", ""}};
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        records.push_back({"", ' ', kSettingsSection, it->first, it->second});
    }
    return CIniFile::Save(path, records);
}

bool markFlashTouched(const std::string& path) {
    auto lock = FileLock::take(path);
    return lock && CIniFile::SetValue(kStageKey, kStageFlashTouched, kSettingsSection, path);
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

std::optional<StoredBackup> readStoredBackup(const std::string& path, std::string& problem) {
    auto settings = readUpgradeBackup(path, problem);
    if (!settings) {
        return std::nullopt;
    }
    // Only a stage this program wrote lets a backup go: anything else keeps it.
    bool untouched = CIniFile::GetValue(kStageKey, kSettingsSection, path) == kStageUpgradeMode;
    return StoredBackup{std::move(*settings),
                        untouched ? BackupStage::UpgradeMode : BackupStage::FlashTouched,
                        savedAt(path)};
}

}  // namespace lumora_usb_encoder
