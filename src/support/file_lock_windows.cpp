#include <windows.h>

#include "support/file_faults.h"
#include "support/file_lock_system.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder::lock_file {

Attempt lockExclusively(const std::string& path, Handle& handle) {
    std::wstring name = windows::wide(path);
    if (fileCallFails(FileCall::Lock, name)) {
        return Attempt::Busy;
    }
    // Shared for everything: the lock is the byte range below, never the right to open the file,
    // so a program that only looks at it is never refused.
    windows::Handle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return Attempt::NoLockFile;
    }
    OVERLAPPED at{};  // byte 0, which every locker agrees on; the file may stay empty
    if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ==
        0) {
        return GetLastError() == ERROR_LOCK_VIOLATION ? Attempt::Busy : Attempt::NoLockFile;
    }
    handle = reinterpret_cast<Handle>(file.release());
    return Attempt::Taken;
}

void unlockAndClose(Handle handle) {
    // The HANDLE given out above, back from the integer the portable half keeps.
    auto file = reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
    OVERLAPPED at{};
    UnlockFileEx(file, 0, 1, 0, &at);
    CloseHandle(file);
}

}  // namespace lumora_usb_encoder::lock_file
