#pragma once

#include <functional>
#include <optional>
#include <string>

#include "settings/keypad_settings.h"
#include "settings/settings_sender.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

struct FirmwareUpgradeOptions {
    std::string imagePath;
    std::string ramBslPath;         // empty: the installed RAM loader, else the simulator's own
    std::string settingsFile;       // the backup goes beside it; empty: no backup
    uint32_t loaderWaitMs = 10000;  // for the loader device to appear after the upgrade command
};

enum class UpgradeOutcome {
    Declined,       // the user said No: nothing was sent
    Failed,         // the image was refused, no loader came, or programming failed
    Done,           // programmed, verified, and the settings written back
    RestoreFailed,  // programmed and verified, but writing the settings back stopped
};

using UpgradeLog = std::function<void(int percent, const std::string& text)>;

// The whole upgrade from a terminal or a window: check the image, take the keypad's settings
// (into UpgradeBackup.ini too), ask, send the upgrade mode command, wait for the loader, program
// (progress and log lines through `log`), and after a success write the settings back. Without
// a readable keypad the settings of an earlier, interrupted upgrade's backup are used.
UpgradeOutcome runFirmwareUpgrade(const FirmwareUpgradeOptions& options, UserInterface& ui,
                                  const UpgradeLog& log);

// The end of an upgrade whose programming went through: write `capture` back (none: nothing is
// written) and drop the backup once that went through. Done or RestoreFailed.
UpgradeOutcome restoreAfterProgramming(const std::optional<KeypadSettings>& capture,
                                       const std::string& backup, UserInterface& ui,
                                       const UpgradeLog& log);

// What the window writes back: the settings the firmware button read, else those the backup of
// an interrupted upgrade holds (said in the log), else none.
std::optional<KeypadSettings> settingsToRestore(const std::optional<KeypadSettings>& capture,
                                                const std::string& backup, const UpgradeLog& log);

// Replays the restore from a backup file (default: the one beside the settings file); removes
// the default backup once the restore went through. False with `problem` for a file it cannot
// use; the restore's own failures come as warnings and give false too, and `failed` (when
// given) hears the step that stopped it.
bool restoreSettingsFromBackup(const std::string& backupFile, const std::string& defaultBackup,
                               UserInterface& ui, const UpgradeLog& log, std::string& problem,
                               SettingStep* failed = nullptr);

}  // namespace lumora_usb_encoder
