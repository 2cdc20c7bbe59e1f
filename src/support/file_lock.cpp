#include "support/file_lock.h"

#include <map>
#include <mutex>
#include <thread>

#include "support/clock.h"
#include "support/file_lock_system.h"

namespace lumora_usb_encoder {

namespace {

// The system's lock belongs to an open file, not to a thread, so the threads of this process are
// kept apart here and a thread that already holds a lock only counts up.
struct Held {
    lock_file::Handle handle = -1;
    int depth = 0;
    std::thread::id owner;
};

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, Held>& registry() {
    static std::map<std::string, Held> held;
    return held;
}

using lock_file::Attempt;

Attempt tryTake(const std::string& lockPath) {
    std::lock_guard guard(registryMutex());
    auto& held = registry();
    if (auto found = held.find(lockPath); found != held.end()) {
        if (found->second.owner != std::this_thread::get_id()) {
            return Attempt::Busy;
        }
        ++found->second.depth;
        return Attempt::Taken;
    }
    lock_file::Handle handle = -1;
    Attempt attempt = lock_file::lockExclusively(lockPath, handle);
    if (attempt == Attempt::Taken) {
        held[lockPath] = {handle, 1, std::this_thread::get_id()};
    }
    return attempt;
}

}  // namespace

std::optional<FileLock> FileLock::take(const std::string& file, std::chrono::milliseconds wait) {
    std::string lockPath = file + ".lock";
    // The process clock: the programs wait the real time for another program, and a test on
    // virtual time meets a busy file without waiting for it.
    const uint32_t start = GetTickCount();
    for (;;) {
        switch (tryTake(lockPath)) {
            case Attempt::Taken:
                return FileLock(lockPath);
            case Attempt::NoLockFile:
                return FileLock(std::string());
            case Attempt::Busy:
                break;
        }
        if (GetTickCount() - start >= static_cast<uint32_t>(wait.count())) {
            return std::nullopt;
        }
        Sleep(10);
    }
}

FileLock::FileLock(FileLock&& other) noexcept : lockPath_(std::move(other.lockPath_)) {
    other.lockPath_.clear();
}

FileLock::~FileLock() {
    if (lockPath_.empty()) {
        return;
    }
    std::lock_guard guard(registryMutex());
    auto found = registry().find(lockPath_);
    if (found != registry().end() && --found->second.depth == 0) {
        lock_file::unlockAndClose(found->second.handle);
        registry().erase(found);
    }
}

}  // namespace lumora_usb_encoder
