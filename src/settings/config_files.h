#pragma once

#include <string>

#include "settings/keypad_fields.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// The jobs around the settings file and the exchange file. Each speaks to the user only through
// `ui` (caption "Vorla Quillon™") and leaves every control to its caller.

// The value of `key` in "appSettings" of `file`; empty when the key or the file is missing.
std::string GetSettings(const std::string& key, const std::string& file);

// What a writer says when another program held the settings file too long.
std::string fileBusyMessage(const std::string& file);

// Writes `key` = `value` into "appSettings" of the settings file; on failure says "Failed to
// update USBUtilityCfg.ini file." (or why the file is not one to replace) and returns false.
bool SetSettings(UserInterface& ui, const std::string& FileName, const std::string& key,
                 const std::string& value);

enum class SaveResult {
    Saved,
    StatusFailed,  // the status read failed: the file is unchanged
    WriteFailed,   // at least one key could not be written (each said so)
};

// Stores `settings` in the settings file in one replace, under the file's lock. A file that is
// not a settings file (see whyNotReplaceableAsSettings) is left as it is, and that is said once.
// On another failure each of the snapshot's keys says "Failed to update USBUtilityCfg.ini
// file.", as a save always has.
bool storeSettingsSnapshot(UserInterface& ui, const KeypadSettings& settings,
                           const std::string& FileName);

// "Save Changes": reads the keypad's status into `fields`, then stores the snapshot in the
// settings file in one replace ("FirmwareFile" is the upgrade window's and stays as it is).
SaveResult SaveToConfigFile(UserInterface& ui, KeypadFields& fields, const std::string& FileName);

enum class LoadResult {
    Sent,             // every setting was sent and made the keypad's defaults
    NotSaved,         // "FirstUp" is not "Yes": nothing sent, nothing said
    Unreadable,       // not readable as a settings file at all: said why, nothing sent
    IncorrectFormat,  // a value it would send is unreadable: said so, nothing sent
    StepFailed,       // a command failed and said so; the window puts its code table list back
                      // on prev_keypadType_index
    TableFailed,      // the code table failed and said so; no list is put back
};

inline bool reselectsKeypadType(LoadResult result) {
    return result == LoadResult::StepFailed;
}

// Sends the settings held in `file` to the keypad, one command a step, stopping at the first
// failure; the settings sent before it stay in effect. Every value is read and checked first, so
// a damaged file sends nothing at all, and a file that cannot be read as a settings file (see
// whyUnreadableAsSettings) is said to be one. The factory reset in the middle restarts the keypad:
// the job waits for it and opens it again. Neither the file nor any window state is changed.
LoadResult load_data_from_file(UserInterface& ui, const std::string& file);

enum class ExportResult {
    Exported,
    Cancelled,   // no folder chosen: "Unable to save the cfg file."
    Declined,    // the exchange file is there and the user would not overwrite it
    Refused,     // the target is not one to replace (another user's link): said so
    CopyFailed,  // "Failed to export the file"
    Failed,      // an unexpected error: "Exception :Unable to save cfg file."
};

// "Export Cfg File": asks for a folder, then exports into it; `exportedTo` hears the file
// written.
ExportResult exportConfigFile(UserInterface& ui, const std::string& FileName,
                              std::string* exportedTo = nullptr);
// Copies the settings file to `target`, asking first when a file of that name exists (naming
// the file a link leads to). Another user's link is not followed.
ExportResult exportConfigFileTo(UserInterface& ui, const std::string& target,
                                const std::string& FileName);
// The exchange file in `folder`.
std::string exchangeFileIn(const std::string& folder);

enum class ImportResult {
    Imported,           // the chosen file is the settings file now (see `load` for the keypad)
    Cancelled,          // no file chosen
    IncorrectFilename,  // not named USBUtilityQuillonCfg.ini
    Unreadable,         // not readable as a settings file at all: said why, nothing copied
    IncorrectFormat,    // no "appSettings" section, or a value is unreadable: nothing copied
    KeptUnsaved,        // it holds no saved settings and the user would not have it replace
                        // the settings file: nothing sent or copied
    NotApplied,         // a command failed (and said so): the settings file stays as it was
    CopyFailed,         // "Failed to copy the new file.", or the settings file was busy (said
                        // so, nothing sent)
    Failed,             // an unexpected error: "Exception :Failed to copy the new file."
};

struct ImportOutcome {
    ImportResult result = ImportResult::Cancelled;
    LoadResult load = LoadResult::NotSaved;  // what sending its settings came to, when it ran
    std::string file;                        // the file chosen
};

// "Import Cfg File": asks for the file, then imports it.
ImportOutcome importConfigFile(UserInterface& ui, const std::string& FileName);
// Checks the name and the section, sends the file's settings, and copies it over the settings
// file once the keypad took all of them. A file that holds no saved settings sends nothing; it
// replaces the settings file only when the user says so to a question whose default is No.
ImportOutcome importConfigFileFrom(UserInterface& ui, const std::string& chosen,
                                   const std::string& FileName);

}  // namespace lumora_usb_encoder
