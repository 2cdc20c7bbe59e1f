#pragma once

#include <optional>
#include <string>

#include "settings/keypad_settings.h"
#include "support/user_interface.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {

// An upgrade keeps the keypad's settings in its backup from before the keypad goes to its loader
// until they are back on it, and notes in it how far it got:
// - Until the flash is about to change the keypad still holds its settings itself. Such a backup
//   is retired as soon as the keypad is found working again (a status read succeeds); while the
//   keypad stays in its loader it is what the next upgrade writes back.
// - From then on (and for a backup that notes no stage) the keypad may have lost them, and only
//   the backup has them: it is pending until they are written back or the user discards it.

// The backup at `backupPath` with its stage; nullopt when there is none, or with `problem` when
// the file is there but cannot be used.
std::optional<StoredBackup> storedBackup(const std::string& backupPath, std::string& problem);

// The pending backup's settings; nullopt when there is none (a backup whose upgrade never
// touched the flash is not pending), or with `problem` when the file cannot be used.
std::optional<KeypadSettings> pendingBackup(const std::string& backupPath, std::string& problem);

inline constexpr const char* kBackupRetiredLine =
    "The keypad came back from its loader untouched; the backup is no longer needed.";

// After a status read that succeeded: removes a backup whose upgrade never touched the flash.
// True when it did (say kBackupRetiredLine).
bool retireUntouchedBackup(const std::string& backupPath);

// Removes the backup, whatever it holds. False when it is still there afterwards.
bool discardBackup(const std::string& backupPath);

// Whether writing back `a` or `b` leaves the keypad the same (the LED colour, which the restore
// does not send, aside).
bool sameRestoredSettings(const KeypadSettings& a, const KeypadSettings& b);

// What the upgrade does just before the flash changes: the backup notes it, or, where none is on
// the disk, `settings` are written as one that does. nullopt when that is done (or there is
// nothing to keep); else the log line that stops the upgrade before anything is erased.
std::optional<std::string> keepBackupForFlashChange(const std::string& backupPath,
                                                    const std::optional<KeypadSettings>& settings);

// One line for a terminal about a pending backup beside `settingsFile`, naming the commands that
// write it back and discard it, or about one that cannot be used; empty when there is none.
std::string pendingBackupNotice(const std::string& settingsFile);

// Said after the settings were saved while a pending backup is there: saving does not retire
// it. Empty when there is none.
std::string pendingBackupKeptNotice(const std::string& settingsFile);

// What is said of a backup that is there but cannot be used (`problem` says why).
std::string unusableBackupMessage(const std::string& problem);

}  // namespace lumora_usb_encoder
