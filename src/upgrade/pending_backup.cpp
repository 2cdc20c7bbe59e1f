#include "upgrade/pending_backup.h"

#include "support/platform_files.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder {

std::optional<KeypadSettings> pendingBackup(const std::string& backupPath, std::string& problem) {
    problem.clear();
    if (backupPath.empty() || !pathExists(backupPath)) {
        return std::nullopt;
    }
    return readUpgradeBackup(backupPath, problem);
}

bool keepBackupUnlessPending(const std::string& backupPath, const KeypadSettings& settings,
                             const std::string& firmwareFile) {
    std::string problem;
    if (pendingBackup(backupPath, problem)) {
        return true;
    }
    return writeUpgradeBackup(backupPath, settings, firmwareFile);
}

std::string unusableBackupMessage(const std::string& problem) {
    return "The settings backup of an interrupted firmware upgrade cannot be used (" + problem +
           "); the settings it was to keep are not written back.";
}

std::string pendingBackupNotice(const std::string& settingsFile) {
    if (settingsFile.empty()) {
        return {};
    }
    std::string backup = upgradeBackupPath(settingsFile);
    std::string problem;
    if (!pendingBackup(backup, problem)) {
        return problem.empty() ? "" : unusableBackupMessage(problem);
    }
    return backup + " holds the keypad's settings from before an interrupted firmware upgrade; " +
           "'quillonctl firmware restore-settings' writes them back.";
}

PendingOffer offerPendingRestore(UserInterface& ui, const std::string& settingsFile) {
    if (settingsFile.empty()) {
        return PendingOffer::None;
    }
    std::string backup = upgradeBackupPath(settingsFile);
    std::string problem;
    if (!pendingBackup(backup, problem)) {
        if (problem.empty()) {
            return PendingOffer::None;
        }
        ui.warn(unusableBackupMessage(problem), kCaptionQuillon);
        return PendingOffer::Unusable;
    }
    if (!ui.ask("The keypad's settings from before an interrupted firmware upgrade have not been "
                "written back yet. Write them back now?",
                "Firmware Upgrade")) {
        return PendingOffer::Declined;
    }
    BusyScope busy(ui);
    auto quiet = [](int, const std::string&) {};
    return restoreSettingsFromBackup(backup, backup, ui, quiet, problem)
               ? PendingOffer::Restored
               : PendingOffer::RestoreFailed;
}

}  // namespace lumora_usb_encoder
