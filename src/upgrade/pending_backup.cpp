#include "upgrade/pending_backup.h"

#include <filesystem>

#include "support/file_lock.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

std::optional<StoredBackup> storedBackup(const std::string& backupPath, std::string& problem) {
    problem.clear();
    if (backupPath.empty() || !pathExists(backupPath)) {
        return std::nullopt;
    }
    return readStoredBackup(backupPath, problem);
}

std::optional<KeypadSettings> pendingBackup(const std::string& backupPath, std::string& problem) {
    auto stored = storedBackup(backupPath, problem);
    if (!stored || stored->stage != BackupStage::FlashTouched) {
        return std::nullopt;
    }
    return std::move(stored->settings);
}

bool retireUntouchedBackup(const std::string& backupPath) {
    std::string problem;
    auto stored = storedBackup(backupPath, problem);
    return stored && stored->stage == BackupStage::UpgradeMode && discardBackup(backupPath);
}

bool discardBackup(const std::string& backupPath) {
    auto lock = FileLock::take(backupPath);
    std::error_code error;
    std::filesystem::remove(utf8Path(backupPath), error);
    return !pathExists(backupPath);
}

bool sameRestoredSettings(const KeypadSettings& a, const KeypadSettings& b) {
    KeypadSettings withoutColour = b;
    withoutColour.ledColour = a.ledColour;
    return a == withoutColour;
}

std::optional<std::string> keepBackupForFlashChange(const std::string& backupPath,
                                                    const std::optional<KeypadSettings>& settings) {
    if (backupPath.empty()) {
        return std::nullopt;
    }
    bool kept = false;
    if (pathExists(backupPath)) {
        kept = markFlashTouched(backupPath);
    } else if (settings) {
        // Gone since the upgrade began (discarded from a terminal, say): what this upgrade
        // writes back must not live in memory alone while the flash is erased.
        kept = writeUpgradeBackup(backupPath, *settings, "", BackupStage::FlashTouched);
    } else {
        return std::nullopt;  // no settings were taken: there is nothing to keep
    }
    if (kept) {
        return std::nullopt;
    }
    return "The settings backup cannot be written: " + backupPath +
           "\r\nNothing was erased: the keypad still holds its firmware and its settings. Unplug "
           "it and plug it back in to use it as it was.\r\n";
}

std::string unusableBackupMessage(const std::string& problem) {
    return "The settings backup of an interrupted firmware upgrade cannot be used (" + problem +
           "); the settings it was to keep are not written back.";
}

std::string pendingBackupNotice(const std::string& settingsFile) {
    if (settingsFile.empty()) {
        return {};
    }
    std::string backup = upgradeBackupPath(settingsFile);
    std::string problem;
    if (!pendingBackup(backup, problem)) {
        return problem.empty() ? "" : unusableBackupMessage(problem);
    }
    return backup + " holds the keypad's settings from before an interrupted firmware upgrade; " +
           "'quillonctl firmware restore-settings' writes them back, 'quillonctl firmware " +
           "discard-backup' discards them and leaves the keypad's settings as they are now.";
}

std::string pendingBackupKeptNotice(const std::string& settingsFile) {
    std::string backup = settingsFile.empty() ? "" : upgradeBackupPath(settingsFile);
    std::string problem;
    if (!pendingBackup(backup, problem)) {
        return {};
    }
    return backup + " is kept: it holds the keypad's settings from before an interrupted " +
           "firmware upgrade, still to be written back or discarded.";
}

}  // namespace lumora_usb_encoder
