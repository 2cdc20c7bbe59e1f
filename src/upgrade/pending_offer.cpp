#include "upgrade/pending_offer.h"

#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder {

namespace {

enum Answer : size_t { kWriteBack, kDiscard, kAskAgain };

std::string question(const StoredBackup& backup) {
    std::string saved = backup.savedAt.empty() ? "" : " (saved " + backup.savedAt + ")";
    return "The keypad's settings from before an interrupted firmware upgrade" + saved +
           " have not been written back yet. Write them back now, discard them (the keypad keeps "
           "the settings it has now), or ask again next time?";
}

}  // namespace

PendingOffer offerPendingRestore(UserInterface& ui, const std::string& settingsFile) {
    if (settingsFile.empty()) {
        return PendingOffer::None;
    }
    std::string backup = upgradeBackupPath(settingsFile);
    std::string problem;
    auto stored = storedBackup(backup, problem);
    if (!problem.empty()) {
        ui.warn(unusableBackupMessage(problem), kCaptionQuillon);
        return PendingOffer::Unusable;
    }
    if (!stored || stored->stage != BackupStage::FlashTouched) {
        return PendingOffer::None;
    }
    size_t answer = ui.choose(question(*stored), "Firmware Upgrade",
                              {"Write Back Now", "Discard Them", "Ask Next Time"}, kAskAgain);
    if (answer == kDiscard) {
        if (discardBackup(backup)) {
            return PendingOffer::Discarded;
        }
        ui.warn("The settings backup cannot be removed: " + backup, kCaptionQuillon);
        return PendingOffer::AskAgain;
    }
    if (answer != kWriteBack) {
        return PendingOffer::AskAgain;
    }
    BusyScope busy(ui);
    auto quiet = [](int, const std::string&) {};
    return restoreSettingsFromBackup(backup, backup, ui, quiet, problem)
               ? PendingOffer::Restored
               : PendingOffer::RestoreFailed;
}

}  // namespace lumora_usb_encoder
