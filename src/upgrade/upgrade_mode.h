#pragma once

#include <functional>
#include <optional>

#include "settings/keypad_fields.h"
#include "settings/keypad_settings.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// What is restored on the keypad once the new firmware runs. It outlives the window that fills
// it: when the keypad cannot be read, the settings of an earlier upgrade are what gets restored.
std::optional<KeypadSettings>& upgradeCapture();

enum class UpgradeModeResult {
    Declined,       // the user said No: nothing was sent
    LoaderEntered,  // the keypad left for its loader
    CommandFailed,  // the upgrade mode command failed; the upgrade still goes on
};

// Called with freshly read settings after the user said Yes and before the keypad leaves for
// its loader: the place to keep them somewhere a crash cannot take them.
using KeepCapture = std::function<void(const KeypadSettings& settings)>;

// The firmware button: read the status into `fields` and the capture (a failed read is said and
// the capture keeps its values), ask, then send the upgrade mode command.
UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         std::optional<KeypadSettings>& capture,
                                         const KeepCapture& keep = {});

}  // namespace lumora_usb_encoder
