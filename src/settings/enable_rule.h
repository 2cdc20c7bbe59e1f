#pragma once

#include <cstdint>

namespace lumora_usb_encoder {

// Which of the main window's function controls are usable. Scan, Exit, the firmware button and
// the menus are always usable and are not listed.
struct ControlStates {
    bool keypadType = false;       // keypadTypeCbox
    bool functionButtons = false;  // button1, button8, button9, button2, button3
    bool ledBrightness = false;
    bool ledColour = false;
    bool buzzer = false;        // buzzerCbox
    bool buzzerPeriod = false;  // buzzerPeriodCbox
    bool operator==(const ControlStates&) const = default;
};

// `EnableDisableFunctionButtons`. When enabling, everything is usable. When disabling, the LED and
// buzzer lists are gated by the options byte: a list only follows `enable` while the keypad
// reports the feature bit that belongs to it (LED colour bit 0, LED brightness bit 1, buzzer
// bit 2); without bit 2 the LED colour list stays usable too.
ControlStates enableRule(bool enable, int32_t optionsFitted);

}  // namespace lumora_usb_encoder
