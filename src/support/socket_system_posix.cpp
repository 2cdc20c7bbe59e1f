#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "support/socket_system.h"

namespace lumora_usb_encoder::sockets {

namespace {

bool unixAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

}  // namespace

void close(int socket) {
    if (socket >= 0) {
        ::close(socket);
    }
}

std::string lastError() {
    return std::strerror(errno);
}

size_t maxUnixPathLength() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

int connectUnix(const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (!unixAddress(path, address)) {
        error = "socket path '" + path + "' is empty or too long";
        return kNone;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = "cannot connect to " + path + ": cannot create a socket: " + lastError();
        return kNone;
    }
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        error = "cannot connect to " + path + ": " + lastError();
        ::close(fd);
        return kNone;
    }
    return fd;
}

int listenUnix(const std::string& path, int backlog, std::string& error) {
    sockaddr_un address{};
    if (!unixAddress(path, address)) {
        error = "socket path '" + path + "' is empty or longer than " +
                std::to_string(maxUnixPathLength()) + " bytes";
        return kNone;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0) {
        error = "cannot listen on " + path + ": " + lastError();
        close(fd);
        return kNone;
    }
    return fd;
}

int accept(int listener) {
    int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    return fd >= 0 ? fd : kNone;
}

bool makeWakePair(int& readEnd, int& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    readEnd = fds[0];
    writeEnd = fds[1];
    return true;
}

void sendWake(int writeEnd) {
    char byte = 1;
    // A full pipe already says "wake up"; nothing is lost by a failed write.
    [[maybe_unused]] auto written = ::write(writeEnd, &byte, 1);
}

void drainWakes(int readEnd) {
    char bytes[64];
    while (::read(readEnd, bytes, sizeof bytes) > 0) {
    }
}

int waitFor(WaitEntry* entries, size_t count, int timeoutMs) {
    using namespace std::chrono;
    auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    std::vector<pollfd> polled(count);
    for (size_t i = 0; i < count; ++i) {
        polled[i] = {entries[i].socket,
                     static_cast<short>(entries[i].forWriting ? POLLOUT : POLLIN), 0};
    }
    int ready;
    while ((ready = ::poll(polled.data(), count, timeoutMs)) < 0 && errno == EINTR) {
        if (timeoutMs >= 0) {
            auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            timeoutMs = left > 0 ? static_cast<int>(left) : 0;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        entries[i].ready = ready > 0 && polled[i].revents != 0;
    }
    return ready;
}

bool hungUp(int socket) {
    pollfd entry{socket, 0, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR)) != 0;
}

Io sendSome(int socket, const char* data, size_t size, size_t& moved) {
    ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return Io::TryAgain;
    }
    if (n <= 0) {
        return Io::Failed;
    }
    moved = static_cast<size_t>(n);
    return Io::Done;
}

Io receiveSome(int socket, char* data, size_t size, size_t& moved) {
    ssize_t n = ::recv(socket, data, size, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return Io::TryAgain;
    }
    if (n <= 0) {
        return n == 0 ? Io::Closed : Io::Failed;
    }
    moved = static_cast<size_t>(n);
    return Io::Done;
}

PathKind pathKind(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return PathKind::Absent;
    }
    return S_ISSOCK(info.st_mode) ? PathKind::Socket : PathKind::Other;
}

FileIdentity identityOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return {};
    }
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

void removeFile(const std::string& path) {
    ::unlink(path.c_str());
}

}  // namespace lumora_usb_encoder::sockets
