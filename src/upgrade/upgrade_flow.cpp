#include "upgrade/upgrade_flow.h"

#include <filesystem>
#include <optional>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "firmware/bsl_library.h"
#include "firmware/image_check.h"
#include "settings/config_files.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "support/clock.h"
#include "support/platform_files.h"
#include "upgrade/pending_backup.h"
#include "upgrade/ram_loader_check.h"
#include "upgrade/settings_restore.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"
#include "upgrade/upgrade_worker.h"

namespace lumora_usb_encoder {

namespace {

constexpr uint32_t kLoaderPollMs = 100;

bool waitForLoader(uint32_t waitMs) {
    uint32_t start = GetTickCount();
    for (;;) {
        if (BslLibrary::BSL_NumOfUSBDevices(kLoaderVendorId, kLoaderProductId) > 0) {
            return true;
        }
        if (GetTickCount() - start >= waitMs) {
            return false;
        }
        Sleep(kLoaderPollMs);
    }
}

std::string fileName(const std::string& path) {
    return utf8String(utf8Path(path).filename());
}

}  // namespace

UpgradeOutcome runFirmwareUpgrade(const FirmwareUpgradeOptions& options, UserInterface& ui,
                                  const UpgradeLog& log) {
    std::string problem;
    if (!checkFirmwareImage(options.imagePath, problem)) {
        log(0, "Firmware image rejected: " + problem + "\r\n");
        return UpgradeOutcome::Failed;
    }
    if (!ramLoaderAtHand(options.ramBslPath, problem)) {
        log(0, problem);
        return UpgradeOutcome::Failed;
    }
    std::string backup =
        options.settingsFile.empty() ? "" : upgradeBackupPath(options.settingsFile);
    RestorePlan plan = planFromKeypad(backup, ui, log);
    if (!ui.ask("Are you sure you want to upgrade the firmware?", "Firmware Upgrade")) {
        return UpgradeOutcome::Declined;
    }
    // Only a note for the window's next upgrade: one that cannot be written is said, and the
    // upgrade goes on (the backup beside it stops it when that folder cannot be written).
    if (!options.settingsFile.empty()) {
        (void)SetSettings(ui, options.settingsFile, "FirmwareFile", fileName(options.imagePath));
    }
    // The backup is all that holds the settings while the keypad is in its loader: without it
    // on the disk, the keypad is not sent there.
    if (plan.source == RestorePlan::Source::Keypad && !backup.empty() &&
        !writeUpgradeBackup(backup, *plan.settings, fileName(options.imagePath))) {
        log(0, backupNotWrittenMessage(backup, "\r\n") + "\r\n");
        return UpgradeOutcome::Failed;
    }
    // A keypad already in its loader does not answer; the loader decides below.
    (void)sendCommand(Command::UpgradeMode);
    if (!waitForLoader(options.loaderWaitMs)) {
        log(0, "No device connected\r\n");
        return UpgradeOutcome::Failed;
    }
    log(0, "Starting\r\n");
    BslLibrary bsl;
    UpgradeWorker worker;
    worker.ReportProgress = log;
    worker.BeforeFlashChange = [&backup, &plan] {
        return keepBackupForFlashChange(backup, plan.settings);
    };
    runUpgradeWorker(bsl, {options.imagePath, options.ramBslPath}, worker);
    if (!worker.Result) {
        return UpgradeOutcome::Failed;
    }
    return restoreAfterProgramming(plan, backup, ui, log);
}

UpgradeOutcome restoreAfterProgramming(const RestorePlan& plan, const std::string& backup,
                                       UserInterface& ui, const UpgradeLog& log) {
    if (!plan.said.empty()) {
        log(100, plan.said);
    }
    if (!plan.settings) {
        return UpgradeOutcome::Done;
    }
    auto restoreLog = [&log](const std::string& text) { log(100, text); };
    if (!restoreSettingsAfterUpgrade(*plan.settings, ui, restoreLog)) {
        return UpgradeOutcome::RestoreFailed;
    }
    log(100, writtenBackLine(plan.source));
    if (!backup.empty()) {
        (void)discardBackup(backup);
    }
    return UpgradeOutcome::Done;
}

bool restoreSettingsFromBackup(const std::string& backupFile, const std::string& defaultBackup,
                               UserInterface& ui, const UpgradeLog& log, std::string& problem,
                               SettingStep* failed) {
    auto capture = readUpgradeBackup(backupFile, problem);
    if (!capture) {
        return false;
    }
    auto restoreLog = [&log](const std::string& text) { log(100, text); };
    if (!restoreSettingsAfterUpgrade(*capture, ui, restoreLog, failed)) {
        return false;
    }
    // Only our own backup goes; a file the user named is theirs to keep.
    std::error_code error;
    if (std::filesystem::equivalent(utf8Path(backupFile), utf8Path(defaultBackup), error)) {
        (void)discardBackup(defaultBackup);
    }
    return true;
}

}  // namespace lumora_usb_encoder
