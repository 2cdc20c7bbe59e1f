#pragma once

#include <optional>
#include <string>

#include "settings/keypad_settings.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// An upgrade keeps the keypad's settings in its backup until they are back on the keypad. A
// backup still there is pending: the keypad lost those settings in an upgrade that did not
// finish, and only the backup still has them.

// The pending backup's settings; nullopt when there is none, or with `problem` when the file is
// there but cannot be used.
std::optional<KeypadSettings> pendingBackup(const std::string& backupPath, std::string& problem);

// Writes `settings` as the backup unless a usable pending one is there, which must never be
// replaced by what the keypad holds after losing its settings. False when a write failed.
bool keepBackupUnlessPending(const std::string& backupPath, const KeypadSettings& settings,
                             const std::string& firmwareFile);

// One line for a terminal about a pending backup beside `settingsFile`, or about one that
// cannot be used; empty when there is none.
std::string pendingBackupNotice(const std::string& settingsFile);

// What is said of a backup that is there but cannot be used (`problem` says why).
std::string unusableBackupMessage(const std::string& problem);

enum class PendingOffer { None, Unusable, Declined, Restored, RestoreFailed };

// At the start of the window, with a keypad there: offers to write a pending backup back, or
// says that the one there cannot be used.
PendingOffer offerPendingRestore(UserInterface& ui, const std::string& settingsFile);

}  // namespace lumora_usb_encoder
