#pragma once

#include <optional>
#include <string>

#include "settings/keypad_fields.h"
#include "settings/keypad_settings.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// What is restored on the keypad once the new firmware runs. It outlives the window that fills
// it: when the keypad cannot be read, the settings of an earlier upgrade are what gets restored.
std::optional<KeypadSettings>& upgradeCapture();

enum class UpgradeModeResult {
    Declined,       // the user said No: nothing was sent
    BackupFailed,   // the settings backup could not be written (said so): nothing was sent
    LoaderEntered,  // the keypad left for its loader
    CommandFailed,  // the upgrade mode command failed; the upgrade still goes on
};

// The firmware button: read the status into `fields` and the capture (a failed read is said and
// the capture keeps its values), ask, keep what was read in the backup at `backupPath` (unless a
// pending one is there; empty: no backup), then send the upgrade mode command. The backup is
// the upgrade's safety: when it cannot be written, the keypad is not sent to its loader.
UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         std::optional<KeypadSettings>& capture,
                                         const std::string& backupPath);

}  // namespace lumora_usb_encoder
