#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace lumora_usb_encoder {

// How long a writer waits for another program to finish with a file before it says so.
inline constexpr std::chrono::milliseconds kFileLockWait{4000};

// A lock (flock; LockFileEx on Windows) on "<file>.lock", taken by every writer of the settings
// file and of the upgrade backup, so that two programs never interleave their read-change-write of
// one file. A thread that holds it may take it again (a job that writes through smaller jobs).
class FileLock {
  public:
    // nullopt when another program (or thread) held the lock for all of `wait`. Where no lock
    // file can be made (no such folder, no write access) the write itself will fail and say so,
    // so a lock that holds nothing is returned.
    static std::optional<FileLock> take(const std::string& file,
                                        std::chrono::milliseconds wait = kFileLockWait);

    FileLock(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock& operator=(FileLock&&) = delete;
    ~FileLock();

  private:
    explicit FileLock(std::string lockPath) : lockPath_(std::move(lockPath)) {}
    std::string lockPath_;  // empty: holds nothing
};

}  // namespace lumora_usb_encoder
