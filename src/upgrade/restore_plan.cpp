#include "upgrade/restore_plan.h"

#include "upgrade/pending_backup.h"

namespace lumora_usb_encoder {

namespace {

constexpr const char* kNoSettings =
    "No keypad settings could be taken; none will be written back.\r\n";

std::string usingLine(const std::string& backup) {
    return "Using the settings saved before an earlier upgrade: " + backup + "\r\n";
}

std::string unusableLine(const std::string& problem) {
    return "The settings backup cannot be used: " + problem + "\r\n";
}

std::string differsWarning(const std::string& backup, const StoredBackup& stored) {
    std::string saved = stored.savedAt.empty() ? "" : " (saved " + stored.savedAt + ")";
    return "The keypad's settings differ from those kept in " + backup + saved +
           " before an interrupted firmware upgrade. Those are written back after this upgrade; "
           "to keep the keypad's own instead, run 'quillonctl firmware discard-backup' first.";
}

}  // namespace

RestorePlan planFromCapture(const UpgradeCapture& capture, const std::string& backup) {
    RestorePlan plan;
    if (capture.earlierBackup || !capture.keypad) {
        std::string problem;
        if (auto stored = storedBackup(backup, problem)) {
            return {std::move(stored->settings), RestorePlan::Source::EarlierBackup,
                    usingLine(backup)};
        }
        if (!problem.empty()) {
            plan.said = unusableLine(problem);
        }
    }
    if (capture.keypad) {
        plan.settings = capture.keypad;
        plan.source = RestorePlan::Source::Keypad;
    } else {
        plan.said += kNoSettings;
    }
    return plan;
}

RestorePlan planFromKeypad(const std::string& backup, UserInterface& ui, const UpgradeLog& log) {
    auto now = readKeypadSettings();
    std::string problem;
    auto stored = storedBackup(backup, problem);
    if (now && stored && stored->stage == BackupStage::UpgradeMode && discardBackup(backup)) {
        log(0, std::string(kBackupRetiredLine) + "\r\n");
        stored.reset();
    }
    if (stored) {
        if (now && !sameRestoredSettings(stored->settings, *now)) {
            ui.warn(differsWarning(backup, *stored), kCaptionQuillon);
        }
        log(0, usingLine(backup));
        return {std::move(stored->settings), RestorePlan::Source::EarlierBackup, ""};
    }
    if (!problem.empty()) {
        log(0, unusableLine(problem));
    }
    if (now) {
        return {std::move(now), RestorePlan::Source::Keypad, ""};
    }
    ui.warn("Unable to get device status information", kCaptionQuillon);
    // Writing back values nobody read would only overwrite the keypad's with zeros.
    log(0, kNoSettings);
    return {};
}

std::string writtenBackLine(RestorePlan::Source source) {
    switch (source) {
        case RestorePlan::Source::EarlierBackup:
            return "The settings saved before an earlier upgrade were written back.\r\n";
        case RestorePlan::Source::Keypad:
            return "The keypad's settings read before the upgrade were written back.\r\n";
        case RestorePlan::Source::None:
            break;
    }
    return {};
}

}  // namespace lumora_usb_encoder
