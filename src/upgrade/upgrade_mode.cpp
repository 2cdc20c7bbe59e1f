#include "upgrade/upgrade_mode.h"

#include "device/keypad_commands.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {

std::optional<KeypadSettings>& upgradeCapture() {
    static std::optional<KeypadSettings> capture;
    return capture;
}

UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         std::optional<KeypadSettings>& capture,
                                         const std::string& backupPath) {
    bool fresh = false;
    {
        BusyScope busy(ui);
        if (auto settings = readSettingsInto(fields)) {
            capture = std::move(settings);
            fresh = true;
        } else {
            ui.warn("Unable to get device status information", kCaptionQuillon);
        }
    }
    if (!ui.ask("Are you sure you want to upgrade the firmware?", "Firmware Upgrade")) {
        return UpgradeModeResult::Declined;
    }
    // A stale capture is not kept: it would replace the backup of an interrupted upgrade.
    if (fresh && !backupPath.empty() && !keepBackupUnlessPending(backupPath, *capture, "")) {
        ui.warn(backupNotWrittenMessage(backupPath), kCaptionQuillon);
        return UpgradeModeResult::BackupFailed;
    }
    BusyScope busy(ui);
    if (sendCommand(Command::UpgradeMode) != kResultOk) {
        return UpgradeModeResult::CommandFailed;
    }
    return UpgradeModeResult::LoaderEntered;
}

}  // namespace lumora_usb_encoder
