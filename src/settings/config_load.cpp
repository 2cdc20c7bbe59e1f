#include "settings/config_files.h"
#include "settings/settings_values.h"
#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

namespace {

bool sendOrSay(UserInterface& ui, Command command, uint8_t value, const char* failure) {
    if (sendByte(command, value) != kResultOk) {
        ui.warn(failure, kCaptionQuillon);
        return false;
    }
    return true;
}

// Steps 6-10: the LED, the buzzer, and making it all the keypad's defaults.
bool sendLedAndBuzzer(UserInterface& ui, const StoredSettings& s) {
    if (!sendOrSay(ui, Command::LedBrightness, s.ledBrightness, "Unable to set LED Brightness..") ||
        !sendOrSay(ui, Command::LedColour, s.ledColour, "Unable to set LED Color..") ||
        !sendOrSay(ui, Command::Buzzer, s.buzzer, "Unable to set Buzzer..") ||
        !sendOrSay(ui, Command::BuzzerPeriod, static_cast<uint8_t>(s.buzzerPeriod + 1),
                   "Unable to set Buzzer period..")) {
        return false;
    }
    if (sendCommand(Command::WriteDefaults) != kResultOk) {
        ui.warn("Unable to write default..", kCaptionQuillon);
        return false;
    }
    return true;
}

}  // namespace

LoadResult load_data_from_file(UserInterface& ui, const std::string& file) {
    if (GetSettings("FirstUp", file) != "Yes") {
        return LoadResult::NotSaved;
    }
    auto settings = parseStoredSettings([&](const char* key) { return GetSettings(key, file); });
    if (!settings) {
        ui.warn("File is incorrect format.", kCaptionQuillon);
        return LoadResult::IncorrectFormat;
    }
    if (!sendOrSay(ui, Command::Options, settings->options, "Unable to set option..")) {
        return LoadResult::StepFailed;
    }
    // The factory reset restarts the keypad, and whether it answers first does not matter.
    (void)sendCommand(Command::FactoryReset);
    Sleep(kRestartWaitMs);
    rescanKeypad(ui);
    if (!sendOrSay(ui, Command::KeypadType, settings->keypadLayout, "Unable to set option..")) {
        return LoadResult::StepFailed;
    }
    if (settings->codeTable && sendCommand(Command::CodeTable, *settings->codeTable) != kResultOk) {
        ui.warn("Unable to Load Table..", kCaptionQuillon);
        return LoadResult::TableFailed;
    }
    return sendLedAndBuzzer(ui, *settings) ? LoadResult::Sent : LoadResult::StepFailed;
}

}  // namespace lumora_usb_encoder
