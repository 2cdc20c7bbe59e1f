#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/device_watcher.h"
#include "device/keypad_hold.h"
#include "device/keypad_leaving.h"
#include "device/keypad_state.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

// The one keypad connection of a program, and the only way its windows reach the keypad. Jobs
// run on it one at a time, each under its name (hold). It follows the bus and tells every
// subscriber what the keypad is: connected (with the status read), removed, in its loader, and
// which job has it. A change of the bus while a job has the keypad is shown at once but applied
// (the keypad closed, or opened afresh) only when the job lets go: a rescan under a running job
// would cut it short, and a change that is never applied leaves every window talking to a
// keypad that has gone. Leaving the program goes through it too (leave).
//
// It wraps the connection functions (rescanKeypad, closeKeypad, hid_handle) and the exchange
// lock they take. Everything but the bus's own notifications runs on one thread, the one the
// service serves: the notifications are handed there by the dispatch given to follow().
class KeypadService {
  public:
    // Runs `call` later on the service's thread; may be called from any thread.
    using Dispatch = std::function<void(std::function<void()> call)>;
    using Subscriber = std::function<void(const KeypadState& state)>;

    KeypadService();
    ~KeypadService();
    KeypadService(const KeypadService&) = delete;
    KeypadService& operator=(const KeypadService&) = delete;

    const KeypadState& state() const { return state_; }

    // The rescan sequence: closes the keypad, looks for it again, tells `ui` when none is found.
    // True when one is open afterwards.
    bool rescan(UserInterface& ui);
    // Closes the keypad and shuts the HID layer down.
    void close();

    // Follows the bus until stopFollowing() or the end; false when the backend cannot tell of
    // changes. Until then changes are noticed only by the jobs that meet them.
    bool follow(Dispatch dispatch);
    void stopFollowing();

    // `subscriber` hears every change from now on, on the service's thread.
    int subscribe(Subscriber subscriber);
    void unsubscribe(int id);

    // The keypad for `job`, or an empty hold when another job has it. `ui` is the window's port.
    // Whoever else subscribed hears that the job has it once the service's thread is free again,
    // so a short job of the window's own thread changes nothing on the screen but its outcome.
    KeypadHold hold(KeypadJob job, UserInterface& ui);
    std::optional<KeypadJob> holder() const;

    // Leaving the program. While an upgrade runs it is refused (said through `ui`); otherwise
    // every participant may first ask about work leaving would lose (any answer to stay ends
    // the attempt with nothing closed), then ends its keypad work, then sends what it owes, and
    // the keypad is closed last, before `left` runs.
    LeaveResult leave(UserInterface& ui, std::function<void()> left);
    void addParticipant(LeaveParticipant* participant);
    void removeParticipant(LeaveParticipant* participant);

  private:
    friend class KeypadHold;
    struct Job {
        KeypadJob job = KeypadJob::Scan;
        uint64_t id = 0;
        KeypadPresence presenceAtStart = KeypadPresence::Removed;
        const void* handleAtStart = nullptr;
        bool shown = false;  // subscribers were told it has the keypad
        std::string said;
        std::string lastWarning;
        std::optional<bool> answered;
        std::optional<DeviceStatus> status;
    };
    struct Reconciled {
        bool changed = false;
        std::optional<DeviceStatus> status;
    };
    struct Leaving {
        std::function<void()> left;
        size_t waiting = 0;  // participants whose keypad work has not ended yet, and leave() itself
    };

    Job* jobWithId(uint64_t id);
    void release(uint64_t id);
    void showHeld(uint64_t id);
    void busChanged(hid::BusEvent event, const std::string& path);
    void showPresenceWhileHeld();
    Reconciled reconcile();
    // Whether hid_handle changed since the service last looked (a job may reopen the keypad).
    bool noteOpenedHandle();
    static const void* currentHandle();
    KeypadPresence presenceWithoutKeypad() const;
    std::string releaseMessage(const Job& job) const;
    void publish(bool statusRead = false, std::optional<DeviceStatus> status = std::nullopt);
    void oneEnded();
    void finishLeaving();

    KeypadState state_;
    std::optional<Job> job_;
    uint64_t nextJobId_ = 0;

    // What the service knows of the bus: the keypad paths seen, the path of the command
    // interface it has open, and the changes a job has not let it apply yet.
    std::set<std::string> keypadPaths_;
    const void* openedHandle_ = nullptr;
    std::string openedPath_;
    bool stale_ = false;    // the keypad opened left the bus: its handle answers nobody
    bool arrived_ = false;  // a keypad came since the last look
    bool pending_ = false;  // a change waits for the job to let go

    Dispatch dispatch_;
    DeviceWatcher watcher_;
    std::map<int, Subscriber> subscribers_;
    int nextSubscriber_ = 0;
    std::vector<LeaveParticipant*> participants_;
    std::unique_ptr<Leaving> leaving_;
    // Calls handed to the service's thread run only while the service is there.
    std::shared_ptr<KeypadService*> self_;
};

}  // namespace lumora_usb_encoder
