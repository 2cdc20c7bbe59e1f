#include "device/keypad_service.h"

#include <mutex>

#include "device/device_connection.h"

namespace lumora_usb_encoder {

namespace {

bool onBus(uint16_t productId) {
    return !hid::backend().enumerate(kKeypadVendorId, productId).empty();
}

// The path the open takes: the first keypad entry on its command interface.
std::string commandInterfacePath() {
    for (const auto& info : hid::backend().enumerate(kKeypadVendorId, kKeypadProductId)) {
        if (info.productId == kKeypadProductId && info.interfaceNumber == kKeypadInterface) {
            return info.path;
        }
    }
    return {};
}

bool isKeypadPath(const std::string& path) {
    for (const auto& info : hid::backend().enumerate(kKeypadVendorId, kKeypadProductId)) {
        if (info.path == path) {
            return true;
        }
    }
    return false;
}

}  // namespace

KeypadService::KeypadService() : self_(std::make_shared<KeypadService*>(this)) {}

KeypadService::~KeypadService() {
    stopFollowing();
}

bool KeypadService::rescan(UserInterface& ui) {
    bool found = rescanKeypad(ui);
    noteOpenedHandle();
    stale_ = false;
    arrived_ = false;
    state_.presence = found ? KeypadPresence::Connected : presenceWithoutKeypad();
    return found;
}

void KeypadService::close() {
    closeKeypad();
    noteOpenedHandle();
}

bool KeypadService::follow(Dispatch dispatch) {
    stopFollowing();
    dispatch_ = std::move(dispatch);
    for (const auto& info : hid::backend().enumerate(kKeypadVendorId, kKeypadProductId)) {
        keypadPaths_.insert(info.path);
    }
    std::weak_ptr<KeypadService*> self = self_;
    // The watch's thread only hands the change over; it is applied on the service's thread.
    return watcher_.start(
        [self, dispatch = dispatch_](hid::BusEvent event, const std::string& path) {
            dispatch([self, event, path] {
                if (auto service = self.lock()) {
                    (*service)->busChanged(event, path);
                }
            });
        },
        kKeypadVendorId, 0);
}

void KeypadService::stopFollowing() {
    watcher_.stop();
    dispatch_ = nullptr;
}

int KeypadService::subscribe(Subscriber subscriber) {
    subscribers_[++nextSubscriber_] = std::move(subscriber);
    return nextSubscriber_;
}

void KeypadService::unsubscribe(int id) {
    subscribers_.erase(id);
}

void KeypadService::publish(bool statusRead, std::optional<DeviceStatus> status) {
    KeypadState told = state_;
    told.statusRead = statusRead;
    told.status = std::move(status);
    std::vector<int> ids;
    for (const auto& [id, subscriber] : subscribers_) {
        ids.push_back(id);
    }
    // A subscriber may unsubscribe another (a window closing one it owns) while it is told.
    for (int id : ids) {
        if (auto found = subscribers_.find(id); found != subscribers_.end()) {
            Subscriber subscriber = found->second;
            subscriber(told);
        }
    }
}

KeypadHold KeypadService::hold(KeypadJob job, UserInterface& ui) {
    if (job_) {
        return KeypadHold(nullptr, 0, ui);
    }
    job_ = Job{};
    job_->job = job;
    job_->id = ++nextJobId_;
    job_->presenceAtStart = state_.presence;
    job_->handleAtStart = currentHandle();
    uint64_t id = job_->id;
    if (dispatch_) {
        std::weak_ptr<KeypadService*> self = self_;
        dispatch_([self, id] {
            if (auto service = self.lock()) {
                (*service)->showHeld(id);
            }
        });
    } else {
        showHeld(id);
    }
    return KeypadHold(this, id, ui);
}

std::optional<KeypadJob> KeypadService::holder() const {
    if (!job_) {
        return std::nullopt;
    }
    return job_->job;
}

KeypadService::Job* KeypadService::jobWithId(uint64_t id) {
    return job_ && job_->id == id ? &*job_ : nullptr;
}

void KeypadService::showHeld(uint64_t id) {
    Job* job = jobWithId(id);
    if (job == nullptr) {
        return;  // over before anybody could have seen it
    }
    job->shown = true;
    state_.heldBy = job->job;
    state_.message = jobRunningText(job->job);
    publish();
}

void KeypadService::release(uint64_t id) {
    if (jobWithId(id) == nullptr) {
        return;
    }
    Job job = std::move(*job_);
    job_.reset();
    bool statusRead = job.answered.has_value();
    std::optional<DeviceStatus> status = job.status;
    noteOpenedHandle();
    bool reopened = openedHandle_ != nullptr && openedHandle_ != job.handleAtStart;
    if (job.answered) {
        state_.presence = *job.answered ? KeypadPresence::Connected : presenceWithoutKeypad();
        stale_ = stale_ && !*job.answered;
    } else if (reopened) {
        // The job opened the keypad afresh (an upgrade's restore): what it runs now is news.
        status = readDeviceStatus();
        statusRead = true;
        stale_ = false;
        state_.presence = status ? KeypadPresence::Connected : presenceWithoutKeypad();
    }
    if (pending_) {
        pending_ = false;
        Reconciled applied = reconcile();
        if (applied.status) {
            statusRead = true;
            status = std::move(applied.status);
        }
    }
    state_.heldBy.reset();
    std::string message = releaseMessage(job);
    if (!message.empty() || job.shown) {
        state_.message = message;
    }
    publish(statusRead, std::move(status));
}

std::string KeypadService::releaseMessage(const Job& job) const {
    if (!job.said.empty()) {
        return job.said;
    }
    if (!job.lastWarning.empty()) {
        return job.lastWarning;
    }
    if (state_.presence != job.presenceAtStart) {
        return presenceText(state_.presence);
    }
    return {};
}

void KeypadService::busChanged(hid::BusEvent event, const std::string& path) {
    noteOpenedHandle();
    if (event == hid::BusEvent::Arrival) {
        if (isKeypadPath(path)) {
            keypadPaths_.insert(path);
            arrived_ = true;
        }
    } else if (keypadPaths_.erase(path) > 0 && !openedPath_.empty() && path == openedPath_) {
        stale_ = true;
    }
    if (job_) {
        pending_ = true;
        showPresenceWhileHeld();
        return;
    }
    KeypadPresence before = state_.presence;
    Reconciled applied = reconcile();
    if (!applied.changed) {
        return;
    }
    bool unanswered = state_.presence == KeypadPresence::Removed && onBus(kKeypadProductId);
    state_.message = unanswered && before != KeypadPresence::Connected
                         ? "Keypad not answering"
                         : presenceText(state_.presence);
    publish(applied.status.has_value(), std::move(applied.status));
}

// Shown while the job runs, applied once it lets go.
void KeypadService::showPresenceWhileHeld() {
    KeypadPresence seen = state_.presence;
    if (!onBus(kKeypadProductId)) {
        seen = presenceWithoutKeypad();
    } else if (stale_) {
        seen = KeypadPresence::Removed;  // back, but not to the handle the job is using
    }
    if (seen == state_.presence) {
        return;
    }
    state_.presence = seen;
    state_.message = std::string(presenceText(seen)) + " (" + jobRunningText(job_->job) + ")";
    publish();
}

KeypadService::Reconciled KeypadService::reconcile() {
    Reconciled result;
    KeypadPresence before = state_.presence;
    if (!onBus(kKeypadProductId)) {
        // Nothing will answer the handle again; the next keypad gets a fresh one.
        if (openedHandle_ != nullptr) {
            closeKeypad();
            noteOpenedHandle();
        }
        stale_ = false;
        state_.presence = presenceWithoutKeypad();
    } else if (stale_ || (arrived_ && before != KeypadPresence::Connected)) {
        SilentUserInterface quiet;
        (void)rescanKeypad(quiet);
        noteOpenedHandle();
        stale_ = false;
        result.status = readDeviceStatus();
        state_.presence = result.status ? KeypadPresence::Connected : KeypadPresence::Removed;
    }
    arrived_ = false;
    result.changed = state_.presence != before || result.status.has_value();
    return result;
}

const void* KeypadService::currentHandle() {
    std::lock_guard lock(exchangeMutex());
    return hid_handle;
}

bool KeypadService::noteOpenedHandle() {
    const void* handle = currentHandle();
    if (handle == openedHandle_) {
        return false;
    }
    openedHandle_ = handle;
    openedPath_ = handle != nullptr ? commandInterfacePath() : std::string();
    return true;
}

KeypadPresence KeypadService::presenceWithoutKeypad() const {
    bool loaderOnly = !onBus(kKeypadProductId) && onBus(kLoaderProductId);
    return loaderOnly ? KeypadPresence::InLoader : KeypadPresence::Removed;
}

}  // namespace lumora_usb_encoder
