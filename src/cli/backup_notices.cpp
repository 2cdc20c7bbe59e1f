#include "cli/backup_notices.h"

#include <ostream>

#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder::cli {

void retireBackupAfterStatusRead(Context& ctx) {
    std::string settings = ctx.settingsFile();
    if (!settings.empty() && retireUntouchedBackup(upgradeBackupPath(settings))) {
        ctx.err() << kBackupRetiredLine << '\n';
    }
}

}  // namespace lumora_usb_encoder::cli
