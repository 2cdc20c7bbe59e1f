#include "settings/keypad_jobs.h"

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "settings/config_files.h"
#include "settings/settings_file_check.h"
#include "support/clock.h"
#include "support/file_lock.h"

namespace lumora_usb_encoder {

bool openAndReadStatus(UserInterface& ui, KeypadFields& fields, bool clearOptions) {
    BusyScope busy(ui);
    rescanKeypad(ui);
    if (clearOptions) {
        fields.prev_options_fitted = 0;
    }
    return GetDeviceStatusMessage(fields) == 0;
}

bool factoryResetKeypad(UserInterface& ui, KeypadFields& fields) {
    BusyScope busy(ui);
    // The keypad restarts at once and may not answer; the status read below tells.
    (void)sendCommand(Command::FactoryReset);
    Sleep(kRestartWaitMs);
    rescanKeypad(ui);
    if (GetDeviceStatusMessage(fields) != 0) {
        ui.warn("Please power off/on the Quillon™.", kCaptionQuillon);
        return false;
    }
    return true;
}

SaveChangesResult saveChanges(UserInterface& ui, KeypadFields& fields,
                              const std::string& FileName) {
    BusyScope busy(ui);
    // Checked before the keypad is touched: a save that cannot end in the file does not start.
    if (auto why = whyNotReplaceableAsSettings(FileName)) {
        ui.warn(leftAsItIsMessage(FileName, *why), kCaptionQuillon);
        return SaveChangesResult::FileWriteFailed;
    }
    // So is a file another program is writing: found busy while nothing has been sent.
    auto lock = FileLock::take(FileName);
    if (!lock) {
        ui.warn(fileBusyMessage(FileName), kCaptionQuillon);
        return SaveChangesResult::FileWriteFailed;
    }
    if (sendCommand(Command::WriteDefaults) != kResultOk) {
        ui.warn("Unable to Write Default..", kCaptionQuillon);
        return SaveChangesResult::WriteDefaultsFailed;
    }
    switch (SaveToConfigFile(ui, fields, FileName)) {
        case SaveResult::Saved:
            return SaveChangesResult::Saved;
        case SaveResult::StatusFailed:
            return SaveChangesResult::StatusFailed;
        case SaveResult::WriteFailed:
            break;
    }
    return SaveChangesResult::FileWriteFailed;
}

RestoreOutcome restoreFromSettingsFile(UserInterface& ui, KeypadFields& fields,
                                       const std::string& FileName) {
    BusyScope busy(ui);
    RestoreOutcome outcome;
    outcome.load = load_data_from_file(ui, FileName);
    outcome.statusRead = GetDeviceStatusMessage(fields) == 0;
    return outcome;
}

}  // namespace lumora_usb_encoder
