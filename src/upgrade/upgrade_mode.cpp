#include "upgrade/upgrade_mode.h"

#include "device/keypad_commands.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {

namespace {

enum Answer : size_t { kBackupsSettings, kKeypadsSettings, kCancel };

// A pending backup that differs from what the keypad holds now: the user says which goes back.
std::optional<bool> askWhetherTheBackupGoesBack(UserInterface& ui, const StoredBackup& stored) {
    std::string saved = stored.savedAt.empty() ? "" : " (saved " + stored.savedAt + ")";
    std::string backupAnswer =
        stored.savedAt.empty() ? "The Backup's" : "Settings of " + stored.savedAt;
    size_t answer = ui.choose(
        "The settings kept from before an interrupted firmware upgrade" + saved +
            " differ from the keypad's settings now. Which should be written back after this "
            "upgrade?",
        "Firmware Upgrade", {backupAnswer, "The Keypad's Now", "Cancel"}, kCancel);
    if (answer == kCancel) {
        return std::nullopt;
    }
    return answer == kBackupsSettings;
}

}  // namespace

UpgradeCapture& upgradeCapture() {
    static UpgradeCapture capture;
    return capture;
}

UpgradeModeResult requestFirmwareUpgrade(UserInterface& ui, KeypadFields& fields,
                                         UpgradeCapture& capture, const std::string& backupPath) {
    bool fresh = false;
    {
        BusyScope busy(ui);
        if (auto settings = readSettingsInto(fields)) {
            capture.keypad = std::move(settings);
            fresh = true;
        } else {
            ui.warn("Unable to get device status information", kCaptionQuillon);
        }
    }
    // A pending backup goes back unless the keypad holds other settings now and the user wants
    // those; a backup whose upgrade never touched the flash goes back only when the keypad
    // cannot be read (it is still in its loader), as the keypad still has its own otherwise.
    std::string problem;
    auto stored = storedBackup(backupPath, problem);
    bool earlierBackup = stored && (stored->stage == BackupStage::FlashTouched || !fresh);
    if (earlierBackup && fresh && !sameRestoredSettings(stored->settings, *capture.keypad)) {
        auto chosen = askWhetherTheBackupGoesBack(ui, *stored);
        if (!chosen) {
            return UpgradeModeResult::Declined;
        }
        earlierBackup = *chosen;
    }
    if (!ui.ask("Are you sure you want to upgrade the firmware?", "Firmware Upgrade")) {
        return UpgradeModeResult::Declined;
    }
    capture.earlierBackup = earlierBackup;
    // A stale capture is not kept: it would replace the backup of an interrupted upgrade.
    if (!earlierBackup && fresh && !backupPath.empty() &&
        !writeUpgradeBackup(backupPath, *capture.keypad, "")) {
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
