#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "settings/keypad_settings.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// One step of sending settings to the keypad. The sequences differ between the jobs (order,
// messages, what is sent at all), so each job states its own as a table of these.
enum class SettingStep {
    Reopen,  // wait for the keypad to restart and open it; fails when it is not there
    Options,
    SerialNumber,  // skipped, with a log line, when no serial number is known
    FactoryReset,  // reset, wait for the restart, reopen; a keypad that does not come back
                   // makes the next step fail with that step's message
    KeypadType,
    CodeTable,  // the table the settings carry; skipped when they carry none
    LedBrightness,
    LedColour,
    Buzzer,
    BuzzerPeriod,
    WriteDefaults,
};

struct SendStep {
    SettingStep step;
    const char* failure;  // the warning when it fails (caption "Vorla Quillon™"); may be empty
};

// Sends `settings` step by step, stopping at the first failure after its warning. Returns the
// step that failed, or nullopt when every step went through.
std::optional<SettingStep> sendSettings(UserInterface& ui, const KeypadSettings& settings,
                                        std::span<const SendStep> steps,
                                        const std::function<void(const std::string&)>& log = {});

}  // namespace lumora_usb_encoder
