#include "settings/settings_sender.h"

#include <vector>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

namespace {

constexpr size_t kSerialCommandBytes = 12;

// True when the step went through (or had nothing to send).
bool runStep(UserInterface& ui, const KeypadSettings& s, SettingStep step,
             const std::function<void(const std::string&)>& log) {
    switch (step) {
        case SettingStep::Reopen:
            Sleep(kRestartWaitMs);
            return rescanKeypad(ui);
        case SettingStep::FactoryReset:
            // The keypad restarts at once; whether it answered first does not matter.
            (void)sendCommand(Command::FactoryReset);
            Sleep(kRestartWaitMs);
            (void)rescanKeypad(ui);
            return true;
        case SettingStep::SerialNumber: {
            // Only the restore after an upgrade sends the serial number.
            if (s.serialNumber.empty()) {
                if (log) {
                    log("No serial number was captured before the upgrade; it is not sent.\r\n");
                }
                return true;
            }
            std::vector<uint8_t> serial(s.serialNumber.begin(), s.serialNumber.end());
            serial.resize(kSerialCommandBytes, ' ');
            return sendCommand(Command::SerialNumber, serial) == kResultOk;
        }
        case SettingStep::CodeTable:
            // Settings read for a table type that is not customised carry no table.
            return s.codeTable.empty() ||
                   sendCommand(Command::CodeTable, codeTablePayload(s)) == kResultOk;
        case SettingStep::WriteDefaults:
            return sendCommand(Command::WriteDefaults) == kResultOk;
        case SettingStep::Options:
            return sendByte(Command::Options, s.options) == kResultOk;
        case SettingStep::KeypadType:
            return sendByte(Command::KeypadType, s.keypadType) == kResultOk;
        case SettingStep::LedBrightness:
            return sendByte(Command::LedBrightness, s.ledBrightness) == kResultOk;
        case SettingStep::LedColour:
            return sendByte(Command::LedColour, s.ledColour) == kResultOk;
        case SettingStep::Buzzer:
            return sendByte(Command::Buzzer, s.buzzer) == kResultOk;
        case SettingStep::BuzzerPeriod:
            return sendByte(Command::BuzzerPeriod, s.buzzerPeriod) == kResultOk;
    }
    return false;
}

}  // namespace

std::optional<SettingStep> sendSettings(UserInterface& ui, const KeypadSettings& settings,
                                        std::span<const SendStep> steps,
                                        const std::function<void(const std::string&)>& log) {
    for (const SendStep& step : steps) {
        if (!runStep(ui, settings, step.step, log)) {
            if (step.failure != nullptr && *step.failure != '\0') {
                ui.warn(step.failure, kCaptionQuillon);
            }
            return step.step;
        }
    }
    return std::nullopt;
}

}  // namespace lumora_usb_encoder
