#pragma once

#include <optional>
#include <string>

#include "device/status_record.h"

namespace lumora_usb_encoder {

// The keypad's jobs, one at a time, each under its name.
enum class KeypadJob {
    Scan,             // open the keypad afresh and read it
    StatusRead,       // read it for a window about to open
    Setting,          // one of the main window's lists
    Save,             // write defaults and keep a snapshot
    FactoryReset,     //
    Restore,          // the settings file sent back
    Import,           // an exchange file sent and kept
    EditorApply,      // an editor's code table
    SelfTest,         // from the first status read to the settings put back
    FirmwareUpgrade,  // the upgrade mode command, or the programming and the restore after it
};

// What the status bar says while `job` has the keypad: "Self test running".
const char* jobRunningText(KeypadJob job);

enum class KeypadPresence {
    Connected,  // open, and its last status read answered
    Removed,    // nothing answers: no keypad on the bus, or one that does not reply
    InLoader,   // no keypad, but its bootstrap loader is on the bus
};

// "Keypad connected", "Keypad removed", "Keypad in firmware upgrade mode".
const char* presenceText(KeypadPresence presence);

// What every window is told of the keypad, each time it changes.
struct KeypadState {
    KeypadPresence presence = KeypadPresence::Removed;
    // The job that has the keypad; the others' controls that would send wait meanwhile.
    std::optional<KeypadJob> heldBy;
    // The status bar's line: the last job's outcome, the job running, or the last change of the
    // bus; each replaces the one before.
    std::string message;
    // This change ends with a status read: a window showing the keypad shows it afresh.
    bool statusRead = false;
    // What that read reported, when the service made it (a window that made it has it already).
    std::optional<DeviceStatus> status;
};

}  // namespace lumora_usb_encoder
