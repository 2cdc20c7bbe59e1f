#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "settings/keypad_fields.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// What the upgrade window restores on the keypad once the new firmware runs. It outlives the
// window that fills it: when the keypad cannot be read, the values of an earlier upgrade (or the
// initial zeros) are what gets restored.
struct UpgradeCapture {
    int32_t keypad_table = 0;
    int32_t led_brightness = 0;
    int32_t buzzer_enable = 0;
    int32_t buzzer_period = 0;  // the list index: the period less one
    int32_t no_of_keys = 0;     // the options byte
    std::array<int32_t, 20> key_codes{};
    std::string firmwareVersion;
    std::string serialNumber;
};

// The process-wide capture record.
UpgradeCapture& upgradeCapture();

// Copies what a restore needs out of freshly read fields. The LED colour is not restored.
void captureForUpgrade(const KeypadFields& fields, UpgradeCapture& capture);

enum class UpgradeModeResult {
    Declined,       // the user said No: nothing was sent
    LoaderEntered,  // the keypad left for its loader
    CommandFailed,  // the upgrade mode command failed; the upgrade still goes on
};

// Called with a freshly read capture after the user said Yes and before the keypad leaves for
// its loader: the place to keep the capture somewhere a crash cannot take it.
using KeepCapture = std::function<void(const UpgradeCapture& capture, const KeypadFields& fields)>;

// The firmware button: read the status into `fields` and the capture (a failed read is said and
// the capture keeps its values), ask, then send the upgrade mode command.
UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         UpgradeCapture& capture, const KeepCapture& keep = {});

}  // namespace lumora_usb_encoder
