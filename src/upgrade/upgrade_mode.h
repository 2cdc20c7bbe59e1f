#pragma once

#include <optional>
#include <string>

#include "settings/keypad_fields.h"
#include "settings/keypad_settings.h"
#include "support/user_interface.h"
#include "upgrade/restore_plan.h"

namespace lumora_usb_encoder {

// What the firmware button took for the restore once the new firmware runs. It outlives the
// window that fills it: when the keypad cannot be read, the settings of an earlier read are what
// gets restored.
UpgradeCapture& upgradeCapture();

enum class UpgradeModeResult {
    Declined,       // the user said No (or left the choice of settings open): nothing was sent
    BackupFailed,   // the settings backup could not be written (said so): nothing was sent
    LoaderEntered,  // the keypad left for its loader
    CommandFailed,  // the upgrade mode command failed; the upgrade still goes on
};

// The firmware button: read the status into `fields` and the capture (a failed read is said and
// the capture keeps its values), decide whose settings go back afterwards (a pending backup that
// differs from what the keypad holds is asked about), ask, keep the keypad's settings in the
// backup at `backupPath` when they are what goes back (empty: no backup), then send the upgrade
// mode command. The backup is the upgrade's safety: when it cannot be written, the keypad is not
// sent to its loader.
UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         UpgradeCapture& capture, const std::string& backupPath);

}  // namespace lumora_usb_encoder
