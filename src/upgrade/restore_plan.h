#pragma once

#include <functional>
#include <optional>
#include <string>

#include "settings/keypad_settings.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

using UpgradeLog = std::function<void(int percent, const std::string& text)>;

// What the firmware button took for the restore after an upgrade. It outlives the window that
// fills it: a status read that fails leaves the settings of an earlier read of the run.
struct UpgradeCapture {
    std::optional<KeypadSettings> keypad;  // the keypad's settings as the button read them
    bool earlierBackup = false;            // the backup of an earlier upgrade goes back instead
};

// What an upgrade writes back once the new firmware runs, and whose settings those are.
struct RestorePlan {
    enum class Source { None, Keypad, EarlierBackup };
    std::optional<KeypadSettings> settings;
    Source source = Source::None;
    std::string said;  // for the log once the programming went through; may be empty
};

// The window's plan, from what the firmware button decided: the earlier backup's settings, else
// the keypad's as read, else (nothing read at all) whatever backup is on the disk.
RestorePlan planFromCapture(const UpgradeCapture& capture, const std::string& backup);

// quillonctl's plan, before anything is sent: the keypad is read, and a backup whose upgrade
// never touched the flash is retired once it answers (said in the log). A pending backup, or one
// kept while the keypad cannot be read, goes back (said in the log); when it differs from what
// the keypad holds, `ui` is warned first. Else the keypad's own settings, else none.
RestorePlan planFromKeypad(const std::string& backup, UserInterface& ui, const UpgradeLog& log);

// The log line once the plan's settings are back on the keypad.
std::string writtenBackLine(RestorePlan::Source source);

}  // namespace lumora_usb_encoder
