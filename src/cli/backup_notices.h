#pragma once

#include "cli/cli_context.h"

namespace lumora_usb_encoder::cli {

// After a status read that succeeded: the keypad works, so a backup whose upgrade never touched
// its flash is retired, and stderr says so.
void retireBackupAfterStatusRead(Context& ctx);

}  // namespace lumora_usb_encoder::cli
