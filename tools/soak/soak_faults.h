#pragma once

#include <array>
#include <cstdint>

#include "device/report_framing.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::soak {

enum class Fault {
    None,
    NoReply,
    Refusal,
    BadCheck,
    BadStatus,
    BadSize,
    Unplug,        // the keypad leaves the bus on the command's report
    UnplugBefore,  // the cable is pulled between two exchanges
    NoReturn,      // a factory reset after which the keypad stays away
};

// What each fault does to one exchange: the code the exchange has to end with. Weights are
// parts of a hundred among the faulty exchanges.
struct FaultClass {
    Fault fault;
    const char* name;
    int weight;
    int32_t expected;
};

inline constexpr std::array kFaultClasses = {
    FaultClass{Fault::None, "none", 0, kResultOk},
    FaultClass{Fault::NoReply, "no reply", 14, kResultTimeout},
    FaultClass{Fault::Refusal, "refusal", 14, kResultRefused},
    FaultClass{Fault::BadCheck, "bad check byte", 14, kResultRefused},
    FaultClass{Fault::BadStatus, "bad status byte", 14, kResultRefused},
    FaultClass{Fault::BadSize, "bad size byte", 14, kResultBadSize},
    FaultClass{Fault::Unplug, "unplug", 12, kResultNoDevice},
    FaultClass{Fault::UnplugBefore, "unplug before", 10, kResultNoDevice},
    FaultClass{Fault::NoReturn, "no return", 8, kResultNoDevice},
};

// Sets the keypad's faults for the next exchange; the bus lock is held by the caller.
inline void injectFault(Fault fault, sim::KeypadFaults& faults) {
    faults = {};
    faults.noReply = fault == Fault::NoReply;
    faults.refuse = fault == Fault::Refusal;
    faults.badCheckByte = fault == Fault::BadCheck;
    faults.badStatusByte = fault == Fault::BadStatus;
    faults.badSizeByte = fault == Fault::BadSize;
    faults.unplugAfterReports = fault == Fault::Unplug ? 1 : -1;
    faults.stayAwayAfterReset = fault == Fault::NoReturn;
}

inline const char* codeName(int32_t code) {
    switch (code) {
        case kResultOk:
            return "ok";
        case kResultNoDevice:
            return "no device";
        case kResultTimeout:
            return "time-out";
        case kResultBadSize:
            return "bad size";
        case kResultRefused:
            return "refused";
        default:
            return "unexpected";
    }
}

}  // namespace lumora_usb_encoder::soak
