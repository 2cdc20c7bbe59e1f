#pragma once

#include <functional>
#include <optional>
#include <string>

#include "settings/keypad_settings.h"
#include "settings/settings_sender.h"
#include "support/user_interface.h"
#include "upgrade/restore_plan.h"

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

// The whole upgrade from a terminal: check the image, plan what goes back afterwards (the
// keypad's settings, into UpgradeBackup.ini too, or those of a pending backup), ask, send the
// upgrade mode command, wait for the loader, program (progress and log lines through `log`; the
// backup notes it before the flash changes), and after a success write the settings back.
UpgradeOutcome runFirmwareUpgrade(const FirmwareUpgradeOptions& options, UserInterface& ui,
                                  const UpgradeLog& log);

// The end of an upgrade whose programming went through: write the plan's settings back (none:
// nothing is written), say whose they were, and drop the backup once that went through. Done or
// RestoreFailed.
UpgradeOutcome restoreAfterProgramming(const RestorePlan& plan, const std::string& backup,
                                       UserInterface& ui, const UpgradeLog& log);

// Replays the restore from a backup file (default: the one beside the settings file); removes
// the default backup once the restore went through. False with `problem` for a file it cannot
// use; the restore's own failures come as warnings and give false too, and `failed` (when
// given) hears the step that stopped it.
bool restoreSettingsFromBackup(const std::string& backupFile, const std::string& defaultBackup,
                               UserInterface& ui, const UpgradeLog& log, std::string& problem,
                               SettingStep* failed = nullptr);

}  // namespace lumora_usb_encoder
