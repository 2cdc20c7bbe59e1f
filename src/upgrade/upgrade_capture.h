#pragma once

#include <optional>
#include <string>

#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

// UpgradeBackup.ini in the folder of the settings file.
std::string upgradeBackupPath(const std::string& settingsFile);

// Writes the settings in the settings file's layout (section "appSettings", the same keys), in
// one piece, so that a crash in the middle of an upgrade loses nothing; `firmwareFile` goes
// under "FirmwareFile".
bool writeUpgradeBackup(const std::string& path, const KeypadSettings& settings,
                        const std::string& firmwareFile);

// What is said when the backup cannot be written: the upgrade stops before anything is sent.
std::string backupNotWrittenMessage(const std::string& path, const char* lineBreak = "\n");

// Reads a backup (or a settings file); nullopt with `problem` when it is missing, was never
// filled, or holds a value that is not what this program writes.
std::optional<KeypadSettings> readUpgradeBackup(const std::string& path, std::string& problem);

}  // namespace lumora_usb_encoder
