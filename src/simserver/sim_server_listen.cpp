#include "simserver/sim_server_listen.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;

namespace {

constexpr int kBacklog = 16;

// Whether `path` may be bound: free, or a socket nobody answers on any more.
bool clearStaleSocket(const std::string& path, std::string& error) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return true;
    }
    if (!S_ISSOCK(info.st_mode)) {
        error = path + " exists and is not a socket";
        return false;
    }
    std::string ignored;
    if (wire::connectUnix(path, ignored).valid()) {
        error = "another server already serves " + path;
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

}  // namespace

wire::FileDescriptor listenUnix(const std::string& path, SocketFile& file, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "socket path '" + path + "' is empty or longer than " +
                std::to_string(sizeof address.sun_path - 1) + " bytes";
        return {};
    }
    if (!clearStaleSocket(path, error)) {
        return {};
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    wire::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid() ||
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), kBacklog) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        return {};
    }
    struct stat info {};
    ::lstat(path.c_str(), &info);
    file = {path, info.st_dev, info.st_ino};
    return fd;
}

void removeSocketFile(const SocketFile& file) {
    struct stat info {};
    if (!file.path.empty() && ::lstat(file.path.c_str(), &info) == 0 &&
        info.st_dev == file.device && info.st_ino == file.inode) {
        ::unlink(file.path.c_str());
    }
}

}  // namespace lumora_usb_encoder::sim
