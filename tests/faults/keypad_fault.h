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
    bool* const flags[] = {&faults.noReply,           &faults.refuse,      &faults.badCheckByte,
                           &faults.badStatusByte,     &faults.badSizeByte, nullptr,
                           &faults.stayAwayAfterReset};
    if (fault == Fault::Unplug) {
        faults.unplugAfterReports = 1;
    } else {
        *flags[static_cast<int>(fault)] = true;
    }
}

inline void endReplyFault(sim::KeypadFaults& faults) {
    faults.noReply = faults.refuse = faults.badCheckByte = faults.badStatusByte =
        faults.badSizeByte = false;
}

}  // namespace lumora_usb_encoder::testing
