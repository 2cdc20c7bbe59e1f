#pragma once

#include <cstdint>
#include <string>

// The system's half of FileLock (file_lock_posix.cpp, file_lock_windows.cpp): one lock file held
// open and locked for this process alone.
namespace lumora_usb_encoder::lock_file {

using Handle = intptr_t;  // a descriptor or a Windows handle

enum class Attempt { Taken, Busy, NoLockFile };

// Opens (creating it when needed) and locks `path` without waiting; `handle` holds it when Taken.
Attempt lockExclusively(const std::string& path, Handle& handle);

void unlockAndClose(Handle handle);

}  // namespace lumora_usb_encoder::lock_file
