#pragma once

#include <string>

#include "support/user_interface.h"

namespace lumora_usb_encoder {

enum class PendingOffer {
    None,           // no pending backup
    Unusable,       // one that cannot be used (said so)
    AskAgain,       // the user left it for the next start
    Discarded,      // the user dropped it: the keypad keeps what it has
    Restored,       // its settings are back on the keypad and the backup is gone
    RestoreFailed,  // the restore stopped (said so); the backup stays
};

// At the start of the window, with a keypad there: asks what to do with a pending backup (write
// it back now, discard it, ask again next time), or says that the one there cannot be used.
PendingOffer offerPendingRestore(UserInterface& ui, const std::string& settingsFile);

}  // namespace lumora_usb_encoder
