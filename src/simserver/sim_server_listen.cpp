#include "simserver/sim_server_listen.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;

namespace {

constexpr int kBacklog = 16;

// Whether `path` may be bound: free, or a socket nobody answers on any more.
bool clearStaleSocket(const std::string& path, std::string& error) {
    switch (sockets::pathKind(path)) {
        case sockets::PathKind::Absent:
            return true;
        case sockets::PathKind::Other:
            error = path + " exists and is not a socket";
            return false;
        case sockets::PathKind::Socket:
            break;
    }
    std::string ignored;
    if (wire::connectUnix(path, ignored).valid()) {
        error = "another server already serves " + path;
        return false;
    }
    sockets::removeFile(path);
    return true;
}

}  // namespace

wire::FileDescriptor listenUnix(const std::string& path, SocketFile& file, std::string& error) {
    if (path.empty() || path.size() > sockets::maxUnixPathLength()) {
        error = "socket path '" + path + "' is empty or longer than " +
                std::to_string(sockets::maxUnixPathLength()) + " bytes";
        return {};
    }
    if (!clearStaleSocket(path, error)) {
        return {};
    }
    wire::FileDescriptor fd(sockets::listenUnix(path, kBacklog, error));
    if (fd.valid()) {
        file = {path, sockets::identityOf(path)};
    }
    return fd;
}

void removeSocketFile(const SocketFile& file) {
    if (!file.path.empty() && sockets::identityOf(file.path) == file.identity) {
        sockets::removeFile(file.path);
    }
}

}  // namespace lumora_usb_encoder::sim
