#include "support/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

namespace lumora_usb_encoder {

namespace {

// flock belongs to an open file, not to a thread, so the threads of this process are kept apart
// here and a thread that already holds a lock only counts up.
struct Held {
    int fd = -1;
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

enum class Attempt { Taken, Busy, NoLockFile };

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
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Attempt::NoLockFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK || error == EINTR ? Attempt::Busy : Attempt::NoLockFile;
    }
    held[lockPath] = {fd, 1, std::this_thread::get_id()};
    return Attempt::Taken;
}

}  // namespace

std::optional<FileLock> FileLock::take(const std::string& file, std::chrono::milliseconds wait) {
    std::string lockPath = file + ".lock";
    auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        switch (tryTake(lockPath)) {
            case Attempt::Taken:
                return FileLock(lockPath);
            case Attempt::NoLockFile:
                return FileLock(std::string());
            case Attempt::Busy:
                break;
        }
        // Real time on purpose: the other writer is another program, not part of a simulation.
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
        ::flock(found->second.fd, LOCK_UN);
        ::close(found->second.fd);
        registry().erase(found);
    }
}

}  // namespace lumora_usb_encoder
