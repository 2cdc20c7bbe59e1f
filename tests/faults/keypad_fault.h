#pragma once

#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::testing {

// Every fault the simulated keypad can show, put on one command at a time.
enum class Fault { NoReply, Refusal, BadCheckByte, BadStatusByte, BadSizeByte, Unplug, NoReturn };
inline constexpr Fault kFaults[] = {Fault::NoReply,       Fault::Refusal,     Fault::BadCheckByte,
                                    Fault::BadStatusByte, Fault::BadSizeByte, Fault::Unplug,
                                    Fault::NoReturn};

inline const char* faultName(Fault fault) {
    static const char* const names[] = {"no reply",        "refusal",       "bad check byte",
                                        "bad status byte", "bad size byte", "unplug",
                                        "no return"};
    return names[static_cast<int>(fault)];
}

// Sets `fault` for the command about to be written. A reply fault lasts until
// endReplyFault(); an unplug or a keypad that stays away after its next reset lasts.
inline void putFault(sim::KeypadFaults& faults, Fault fault) {
    switch (fault) {
        case Fault::NoReply:
            faults.noReply = true;
            break;
        case Fault::Refusal:
            faults.refuse = true;
            break;
        case Fault::BadCheckByte:
            faults.badCheckByte = true;
            break;
        case Fault::BadStatusByte:
            faults.badStatusByte = true;
            break;
        case Fault::BadSizeByte:
            faults.badSizeByte = true;
            break;
        case Fault::Unplug:
            faults.unplugAfterReports = 1;
            break;
        case Fault::NoReturn:
            faults.stayAwayAfterReset = true;
            break;
    }
}

inline void endReplyFault(sim::KeypadFaults& faults) {
    faults.noReply = faults.refuse = faults.badCheckByte = faults.badStatusByte =
        faults.badSizeByte = false;
}

}  // namespace lumora_usb_encoder::testing
