#pragma once

#include <string>

#include "settings/config_files.h"
#include "settings/keypad_fields.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// The main window's device work, so that the window only shows what came of it. Each job that
// ends in a status read returns true when that read succeeded (`fields` then hold the keypad's
// values) and false when it failed (`fields` keep the last values read).

// Load sequence and "Scan For Device": open the keypad afresh (saying so when none is found),
// then read its status. `clearOptions` drops the options byte first, as the load does, so that
// a keypad that never answers leaves the option-gated lists usable.
bool openAndReadStatus(UserInterface& ui, KeypadFields& fields, bool clearOptions);

// "Reset To Factory Default": the reset, the restart wait, re-opening, the status read. A failed
// read ends with "Please power off/on the Quillon™.".
bool factoryResetKeypad(UserInterface& ui, KeypadFields& fields);

enum class SaveChangesResult { Saved, WriteDefaultsFailed, StatusFailed, FileWriteFailed };

// "Save Changes": make the current settings the keypad's defaults, then keep a snapshot of them
// in the settings file. The snapshot's status read refreshes `fields`. A settings file that is
// not one to replace, or that another program holds for the whole lock wait, is said before
// anything is sent.
SaveChangesResult saveChanges(UserInterface& ui, KeypadFields& fields, const std::string& FileName);

struct RestoreOutcome {
    LoadResult load = LoadResult::NotSaved;
    bool statusRead = false;
};

// "Reset From Configuration File": send what the settings file holds, then read the status.
RestoreOutcome restoreFromSettingsFile(UserInterface& ui, KeypadFields& fields,
                                       const std::string& FileName);

}  // namespace lumora_usb_encoder
