#include <exception>
#include <filesystem>

#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "support/file_lock.h"
#include "support/ini_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {

constexpr const char* kImportFilter = "(*.ini)|*.ini|All files (*.ini)|*.ini";
constexpr const char* kImportInitialName = "openFileDialogBrowse";
constexpr const char* kExportDescription = "Select Folder - To Copy The USBUtilityCfg.ini File";
// Where the folder dialog opens: the top of the file system, as on the system this program came
// from it opened at the top of the first drive.
constexpr const char* kExportStart = "/";

ExportResult exportUnguarded(UserInterface& ui, const std::string& target,
                             const std::string& FileName) {
    if (fileExists(target) &&
        !ui.ask("USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?",
                "Save USBUtilityCfg File")) {
        return ExportResult::Declined;
    }
    if (!copyFileOverwrite(FileName, target)) {
        ui.warn("Failed to export the file", kCaptionQuillon);
        return ExportResult::CopyFailed;
    }
    return ExportResult::Exported;
}

ImportOutcome importUnguarded(UserInterface& ui, const std::string& chosen,
                              const std::string& FileName) {
    if (std::filesystem::path(chosen).filename() != kExchangeFileName) {
        ui.warn("Incorrect Filename.", kCaptionQuillon);
        return {ImportResult::IncorrectFilename};
    }
    if (!CIniFile::SectionExists(kSettingsSection, chosen)) {
        ui.warn("File is incorrect format.", kCaptionQuillon);
        return {ImportResult::IncorrectFormat};
    }
    LoadResult load = load_data_from_file(ui, chosen);
    // A file whose values cannot be read would make every later restore fail the same way.
    if (load == LoadResult::IncorrectFormat) {
        return {ImportResult::IncorrectFormat, load};
    }
    // Nor does a file the keypad would not take all of become the one every restore sends.
    if (load == LoadResult::StepFailed || load == LoadResult::TableFailed) {
        return {ImportResult::NotApplied, load};
    }
    auto lock = FileLock::take(FileName);
    if (!lock) {
        ui.warn(fileBusyMessage(FileName), kCaptionQuillon);
        return {ImportResult::CopyFailed, load};
    }
    if (!copyFileOverwrite(chosen, FileName)) {
        ui.warn("Failed to copy the new file.", kCaptionQuillon);
        return {ImportResult::CopyFailed, load};
    }
    return {ImportResult::Imported, load};
}

}  // namespace

std::string exchangeFileIn(const std::string& folder) {
    return (std::filesystem::path(folder) / kExchangeFileName).string();
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

ExportResult exportConfigFile(UserInterface& ui, const std::string& FileName) {
    auto folder = ui.chooseFolder(kExportDescription, kExportStart);
    if (!folder) {
        ui.warn("Unable to save the cfg file.", kCaptionQuillon);
        return ExportResult::Cancelled;
    }
    return exportConfigFileTo(ui, exchangeFileIn(*folder), FileName);
}

ImportOutcome importConfigFileFrom(UserInterface& ui, const std::string& chosen,
                                   const std::string& FileName) {
    try {
        return importUnguarded(ui, chosen, FileName);
    } catch (const std::exception&) {
        ui.warn("Exception :Failed to copy the new file.", kCaptionQuillon);
        return {ImportResult::Failed};
    }
}

ImportOutcome importConfigFile(UserInterface& ui, const std::string& FileName) {
    auto chosen = ui.chooseOpenFile(kImportFilter, kImportInitialName);
    if (!chosen) {
        return {ImportResult::Cancelled};
    }
    return importConfigFileFrom(ui, *chosen, FileName);
}

}  // namespace lumora_usb_encoder
