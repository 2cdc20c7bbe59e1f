#pragma once

#include <optional>
#include <string>

#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

// UpgradeBackup.ini in the folder of the settings file.
std::string upgradeBackupPath(const std::string& settingsFile);

// How far the upgrade that wrote a backup got, under "UpgradeStage". A backup without one was
// written before the stage was kept, and is read as FlashTouched: the reading that keeps it.
enum class BackupStage {
    UpgradeMode,   // "UpgradeMode": written before the keypad was sent to its loader
    FlashTouched,  // "FlashTouched": the flash was about to change; the backup may be all there is
};

// Writes the settings in the settings file's layout (section "appSettings", the same keys), in
// one piece, so that a crash in the middle of an upgrade loses nothing; `firmwareFile` goes
// under "FirmwareFile", `stage` under "UpgradeStage".
bool writeUpgradeBackup(const std::string& path, const KeypadSettings& settings,
                        const std::string& firmwareFile,
                        BackupStage stage = BackupStage::UpgradeMode);

// Notes in the backup at `path` that its upgrade is about to change the flash, in one piece and
// synced before it returns.
bool markFlashTouched(const std::string& path);

// What is said when the backup cannot be written: the upgrade stops before anything is sent.
std::string backupNotWrittenMessage(const std::string& path, const char* lineBreak = "\n");

// Reads a backup (or a settings file); nullopt with `problem` when it is missing, was never
// filled, or holds a value that is not what this program writes.
std::optional<KeypadSettings> readUpgradeBackup(const std::string& path, std::string& problem);

struct StoredBackup {
    KeypadSettings settings;
    BackupStage stage = BackupStage::FlashTouched;
    std::string savedAt;  // when it was last written, "YYYY-MM-DD HH:MM" local time; may be empty
};

// A backup with its stage and date; nullopt with `problem` as readUpgradeBackup.
std::optional<StoredBackup> readStoredBackup(const std::string& path, std::string& problem);

}  // namespace lumora_usb_encoder
