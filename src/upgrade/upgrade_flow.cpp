#include "upgrade/upgrade_flow.h"

#include <filesystem>
#include <optional>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "firmware/bsl_library.h"
#include "firmware/image_check.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "support/clock.h"
#include "support/file_lock.h"
#include "support/ini_file.h"
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

struct TakenSettings {
    std::optional<KeypadSettings> capture;
    bool fromKeypad = false;  // else from an earlier backup, or none at all
};

// The settings to restore: those a pending backup holds (the keypad lost them in an upgrade that
// did not finish), else the keypad's own.
TakenSettings takeSettings(const std::string& backup, UserInterface& ui, const UpgradeLog& log) {
    TakenSettings taken;
    std::string problem;
    taken.capture = pendingBackup(backup, problem);
    if (taken.capture) {
        log(0, "Using the settings saved before an earlier upgrade: " + backup + "\r\n");
        return taken;
    }
    if (!problem.empty()) {
        log(0, "The settings backup cannot be used: " + problem + "\r\n");
    }
    taken.capture = readKeypadSettings();
    if (taken.capture) {
        taken.fromKeypad = true;
        return taken;
    }
    ui.warn("Unable to get device status information", kCaptionQuillon);
    // Writing back values nobody read would only overwrite the keypad's with zeros.
    log(0, "No keypad settings could be taken; none will be written back.\r\n");
    return taken;
}

std::string fileName(const std::string& path) {
    return utf8String(utf8Path(path).filename());
}

void removeBackup(const std::string& backup) {
    auto lock = FileLock::take(backup);
    std::error_code ignored;
    std::filesystem::remove(utf8Path(backup), ignored);
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
    TakenSettings taken = takeSettings(backup, ui, log);
    if (!ui.ask("Are you sure you want to upgrade the firmware?", "Firmware Upgrade")) {
        return UpgradeOutcome::Declined;
    }
    if (!options.settingsFile.empty()) {
        (void)CIniFile::SetValue("FirmwareFile", fileName(options.imagePath), kSettingsSection,
                                 options.settingsFile);
    }
    // The backup is all that holds the settings while the keypad is in its loader: without it
    // on the disk, the keypad is not sent there.
    if (taken.fromKeypad && !backup.empty() &&
        !writeUpgradeBackup(backup, *taken.capture, fileName(options.imagePath))) {
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
    runUpgradeWorker(bsl, {options.imagePath, options.ramBslPath}, worker);
    if (!worker.Result) {
        return UpgradeOutcome::Failed;
    }
    return restoreAfterProgramming(taken.capture, backup, ui, log);
}

UpgradeOutcome restoreAfterProgramming(const std::optional<KeypadSettings>& capture,
                                       const std::string& backup, UserInterface& ui,
                                       const UpgradeLog& log) {
    if (!capture) {
        return UpgradeOutcome::Done;
    }
    auto restoreLog = [&log](const std::string& text) { log(100, text); };
    if (!restoreSettingsAfterUpgrade(*capture, ui, restoreLog)) {
        return UpgradeOutcome::RestoreFailed;
    }
    if (!backup.empty()) {
        removeBackup(backup);
    }
    return UpgradeOutcome::Done;
}

std::optional<KeypadSettings> settingsToRestore(const std::optional<KeypadSettings>& capture,
                                                const std::string& backup, const UpgradeLog& log) {
    // A pending backup holds what the keypad had before an upgrade that did not finish; what
    // was read from it since is what that upgrade left.
    std::string problem;
    if (auto pending = pendingBackup(backup, problem)) {
        log(0, "Using the settings saved before an earlier upgrade: " + backup + "\r\n");
        return pending;
    }
    if (!problem.empty()) {
        log(0, "The settings backup cannot be used: " + problem + "\r\n");
    }
    if (capture) {
        return capture;
    }
    log(0, "No keypad settings could be taken; none will be written back.\r\n");
    return std::nullopt;
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
        removeBackup(defaultBackup);
    }
    return true;
}

}  // namespace lumora_usb_encoder
