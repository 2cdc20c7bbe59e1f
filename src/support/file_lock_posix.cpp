#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "support/file_faults.h"
#include "support/file_lock_system.h"

namespace lumora_usb_encoder::lock_file {

Attempt lockExclusively(const std::string& path, Handle& handle) {
    if (fileCallFails(FileCall::Lock, path)) {
        return Attempt::Busy;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Attempt::NoLockFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK || error == EINTR ? Attempt::Busy : Attempt::NoLockFile;
    }
    handle = fd;
    return Attempt::Taken;
}

void unlockAndClose(Handle handle) {
    auto fd = static_cast<int>(handle);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

}  // namespace lumora_usb_encoder::lock_file
