#pragma once

#include <functional>
#include <string>

#include "settings/keypad_settings.h"
#include "settings/settings_sender.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// Writes the settings taken before an upgrade back to the keypad once its new firmware runs:
// reopen it, options, serial number, factory reset, reopen, keypad type, code table, LED
// brightness, buzzer, buzzer period, write defaults. The LED colour is not sent. The first
// failing command shows its warning and ends the restore. `log` hears what the restore decided
// on its own. True when every step went through; else `failed` (when given) hears the step
// that stopped it.
bool restoreSettingsAfterUpgrade(const KeypadSettings& settings, UserInterface& ui,
                                 const std::function<void(const std::string&)>& log,
                                 SettingStep* failed = nullptr);

}  // namespace lumora_usb_encoder
