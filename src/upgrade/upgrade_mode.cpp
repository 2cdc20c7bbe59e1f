#include "upgrade/upgrade_mode.h"

#include <algorithm>

#include "device/keypad_commands.h"

namespace lumora_usb_encoder {

UpgradeCapture& upgradeCapture() {
    static UpgradeCapture capture;
    return capture;
}

void captureForUpgrade(const KeypadFields& fields, UpgradeCapture& capture) {
    capture.keypad_table = fields.prev_keypadType_index;
    capture.led_brightness = fields.prev_ledBrightness_index;
    capture.buzzer_enable = fields.prev_buzzer_index;
    capture.buzzer_period = fields.prev_buzzerPeriod_index;
    capture.no_of_keys = fields.prev_options_fitted;
    std::copy_n(fields.keyCodeArray.begin(), capture.key_codes.size(), capture.key_codes.begin());
    capture.firmwareVersion = fields.firmwareVersion;
    capture.serialNumber = fields.serialNumber;
}

UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         UpgradeCapture& capture, const KeepCapture& keep) {
    bool fresh = false;
    {
        BusyScope busy(ui);
        if (GetDeviceStatusMessage(fields) == 0) {
            captureForUpgrade(fields, capture);
            fresh = true;
        } else {
            ui.warn("Unable to get device status information", kCaptionQuillon);
        }
    }
    if (!ui.ask("Are you sure you want to upgrade the firmware?", "Firmware Upgrade")) {
        return UpgradeModeResult::Declined;
    }
    // A stale capture is not kept: it would replace the backup of an interrupted upgrade.
    if (fresh && keep) {
        keep(capture, fields);
    }
    BusyScope busy(ui);
    if (sendCommand(Command::UpgradeMode) != kResultOk) {
        return UpgradeModeResult::CommandFailed;
    }
    return UpgradeModeResult::LoaderEntered;
}

}  // namespace lumora_usb_encoder
