#pragma once

#include <functional>
#include <utility>

namespace lumora_usb_encoder {

// A window's part in leaving the program (KeypadService::leave), in three steps.
class LeaveParticipant {
  public:
    virtual ~LeaveParticipant() = default;
    // Before anything is closed: work that leaving would lose is asked about. False: the person
    // chose to stay, and nothing is closed.
    virtual bool mayLeave() { return true; }
    // Ends what the window runs on the keypad and puts back what it changed; calls `ended` once
    // that is done, at once or later, on the service's thread.
    virtual void endKeypadWork(std::function<void()> ended) {
        auto now = std::move(ended);  // by value: a window that ends later keeps it
        now();
    }
    // Every window's work has ended and the keypad is still open: what the window still owes it
    // (the table an editor was told to apply). False: the keypad did not take it; the program
    // stays.
    virtual bool sendBeforeLeaving() { return true; }
};

enum class LeaveResult {
    Refused,  // an upgrade runs: said so, and everything stays
    Stayed,   // the person chose to stay, or an owed send failed
    Leaving,  // under way: `left` follows once the keypad is closed
};

inline constexpr const char* kUpgradeRefusesLeaving =
    "The firmware upgrade is in progress. Leave the program once it has finished.";

}  // namespace lumora_usb_encoder
