#include "upgrade/settings_restore.h"

#include <vector>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

namespace {

// One command; on failure its warning, and false to end the restore.
bool sendOrWarn(UserInterface& ui, Command command, std::span<const uint8_t> payload,
                const char* warning) {
    if (sendCommand(command, payload) == 0) {
        return true;
    }
    ui.warn(warning, kCaptionQuillon);
    return false;
}

bool sendByteOrWarn(UserInterface& ui, Command command, int32_t value, const char* warning) {
    const uint8_t payload[1] = {static_cast<uint8_t>(value)};
    return sendOrWarn(ui, command, payload, warning);
}

}  // namespace

bool restoreSettingsAfterUpgrade(const UpgradeCapture& settings, UserInterface& ui,
                                 const std::function<void(const std::string&)>& log) {
    Sleep(kRestartWaitMs);
    if (!rescanKeypad(ui)) {
        return false;
    }
    if (!sendByteOrWarn(ui, Command::Options, settings.no_of_keys, "Unable to set OPTION..")) {
        return false;
    }
    if (settings.serialNumber.empty()) {
        log("No serial number was captured before the upgrade; it is not sent.\r\n");
    } else {
        std::vector<uint8_t> serial(settings.serialNumber.begin(), settings.serialNumber.end());
        serial.resize(12, ' ');
        if (!sendOrWarn(ui, Command::SerialNumber, serial, "Unable to set Serial Number..")) {
            return false;
        }
    }
    (void)sendCommand(Command::FactoryReset);
    Sleep(kRestartWaitMs);
    // A keypad that did not come back makes the next command fail with its own warning.
    (void)rescanKeypad(ui);
    std::vector<uint8_t> table;
    for (int32_t code : settings.key_codes) {
        table.push_back(static_cast<uint8_t>(code));
    }
    return sendByteOrWarn(ui, Command::KeypadType, settings.keypad_table,
                          "Unable to set Keypad Type..") &&
           sendOrWarn(ui, Command::CodeTable, table, "Unable to Load Table..") &&
           sendByteOrWarn(ui, Command::LedBrightness, settings.led_brightness,
                          "Unable to set LED Brightness..") &&
           sendByteOrWarn(ui, Command::Buzzer, settings.buzzer_enable, "Unable to set Buzzer..") &&
           sendByteOrWarn(ui, Command::BuzzerPeriod, settings.buzzer_period + 1,
                          "Unable to set Buzzer period..") &&
           sendOrWarn(ui, Command::WriteDefaults, {}, "Unable to Write Default..");
}

}  // namespace lumora_usb_encoder
