#include <exception>

#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "settings/settings_file_check.h"
#include "support/file_io.h"
#include "support/file_lock.h"
#include "support/ini_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {

ImportOutcome importOutcome(ImportResult result, LoadResult load = LoadResult::NotSaved) {
    ImportOutcome outcome;
    outcome.result = result;
    outcome.load = load;
    return outcome;
}

constexpr const char* kImportFilter = "(*.ini)|*.ini|All files (*.ini)|*.ini";
constexpr const char* kImportInitialName = "openFileDialogBrowse";
constexpr const char* kExportDescription = "Select Folder - To Copy The USBUtilityCfg.ini File";
// Where the folder dialog opens: the top of the file system, as on the system this program came
// from it opened at the top of the first drive.
constexpr const char* kExportStart = "/";

// The overwrite question; a link is named with the file it leads to, since that file is the
// one overwritten.
std::string overwriteQuestion(const std::string& target) {
    std::string question =
        "USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?";
    if (auto leadsTo = linkTarget(target)) {
        question += "\nIt is a link: " + *leadsTo + " would be overwritten.";
    }
    return question;
}

ExportResult exportUnguarded(UserInterface& ui, const std::string& target,
                             const std::string& FileName) {
    if (std::string refusal = replaceRefusal(target); !refusal.empty()) {
        ui.warn(leftAsItIsMessage(target, refusal), kCaptionQuillon);
        return ExportResult::Refused;
    }
    if (fileExists(target) && !ui.ask(overwriteQuestion(target), "Save USBUtilityCfg File")) {
        return ExportResult::Declined;
    }
    if (!copyFileOverwrite(FileName, target)) {
        ui.warn("Failed to export the file", kCaptionQuillon);
        return ExportResult::CopyFailed;
    }
    return ExportResult::Exported;
}

std::string unsavedImportQuestion(const std::string& chosen) {
    return chosen +
           " holds no saved settings (its FirstUp is not Yes), so nothing is sent to the keypad. "
           "Replace the settings file with it all the same? The settings saved there are lost.";
}

ImportOutcome importUnguarded(UserInterface& ui, const std::string& chosen,
                              const std::string& FileName) {
    if (utf8Path(chosen).filename() != kExchangeFileName) {
        ui.warn("Incorrect Filename.", kCaptionQuillon);
        return importOutcome(ImportResult::IncorrectFilename);
    }
    if (auto why = whyUnreadableAsSettings(chosen)) {
        ui.warn(unreadableSettingsMessage(chosen, *why), kCaptionQuillon);
        return importOutcome(ImportResult::Unreadable);
    }
    if (!CIniFile::SectionExists(kSettingsSection, chosen)) {
        ui.warn("File is incorrect format.", kCaptionQuillon);
        return importOutcome(ImportResult::IncorrectFormat);
    }
    // Checked before anything is sent: the file given as the settings file may be no such file.
    if (auto why = whyNotReplaceableAsSettings(FileName)) {
        ui.warn(leftAsItIsMessage(FileName, *why), kCaptionQuillon);
        return importOutcome(ImportResult::CopyFailed);
    }
    // Such a file wipes the saved settings and sends nothing: never without the user's word.
    if (GetSettings("FirstUp", chosen) != "Yes" &&
        !ui.confirm(unsavedImportQuestion(chosen), kCaptionQuillon)) {
        return importOutcome(ImportResult::KeptUnsaved);
    }
    // Taken before anything is sent: a settings file that another program is writing is found
    // busy while the keypad is still as it was.
    auto lock = FileLock::take(FileName);
    if (!lock) {
        ui.warn(fileBusyMessage(FileName), kCaptionQuillon);
        return importOutcome(ImportResult::CopyFailed);
    }
    LoadResult load = load_data_from_file(ui, chosen);
    // A file whose values cannot be read would make every later restore fail the same way.
    if (load == LoadResult::IncorrectFormat) {
        return importOutcome(ImportResult::IncorrectFormat, load);
    }
    // Nor does a file the keypad would not take all of become the one every restore sends.
    if (load == LoadResult::StepFailed || load == LoadResult::TableFailed) {
        return importOutcome(ImportResult::NotApplied, load);
    }
    if (!copyFileOverwrite(chosen, FileName)) {
        ui.warn("Failed to copy the new file.", kCaptionQuillon);
        return importOutcome(ImportResult::CopyFailed, load);
    }
    return importOutcome(ImportResult::Imported, load);
}

}  // namespace

std::string exchangeFileIn(const std::string& folder) {
    return utf8String(utf8Path(folder) / kExchangeFileName);
}

ExportResult exportConfigFileTo(UserInterface& ui, const std::string& target,
                                const std::string& FileName) {
    try {
        return exportUnguarded(ui, target, FileName);
    } catch (const std::exception&) {
        ui.warn("Exception :Unable to save cfg file.", kCaptionQuillon);
        return ExportResult::Failed;
    }
}

ExportResult exportConfigFile(UserInterface& ui, const std::string& FileName,
                              std::string* exportedTo) {
    auto folder = ui.chooseFolder(kExportDescription, kExportStart);
    if (!folder) {
        ui.warn("Unable to save the cfg file.", kCaptionQuillon);
        return ExportResult::Cancelled;
    }
    std::string target = exchangeFileIn(*folder);
    if (exportedTo != nullptr) {
        *exportedTo = target;
    }
    return exportConfigFileTo(ui, target, FileName);
}

ImportOutcome importConfigFileFrom(UserInterface& ui, const std::string& chosen,
                                   const std::string& FileName) {
    try {
        ImportOutcome outcome = importUnguarded(ui, chosen, FileName);
        outcome.file = chosen;
        return outcome;
    } catch (const std::exception&) {
        ui.warn("Exception :Failed to copy the new file.", kCaptionQuillon);
        return importOutcome(ImportResult::Failed);
    }
}

ImportOutcome importConfigFile(UserInterface& ui, const std::string& FileName) {
    auto chosen = ui.chooseOpenFile(kImportFilter, kImportInitialName);
    if (!chosen) {
        return importOutcome(ImportResult::Cancelled);
    }
    return importConfigFileFrom(ui, *chosen, FileName);
}

}  // namespace lumora_usb_encoder
