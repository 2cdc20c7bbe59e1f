#include "socket/stream_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "socket/codec.h"

namespace lumora_usb_encoder::hid::wire {

namespace {

// Milliseconds poll() may wait: -1 without a deadline, at least 0 once it has passed.
int pollTimeout(const Deadline& deadline) {
    if (!deadline) {
        return -1;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *deadline - std::chrono::steady_clock::now());
    // Rounded up, so a wait never ends a little before its deadline and spins.
    return left.count() <= 0 ? 0 : static_cast<int>(left.count()) + 1;
}

}  // namespace

Deadline deadlineIn(std::chrono::milliseconds span) {
    return std::chrono::steady_clock::now() + span;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

int FileDescriptor::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

WakePipe::WakePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        read_.reset(fds[0]);
        write_.reset(fds[1]);
    }
}

void WakePipe::wake() {
    char byte = 1;
    // A full pipe already says "wake up"; nothing is lost by a failed write.
    [[maybe_unused]] auto written = ::write(write_.get(), &byte, 1);
}

void WakePipe::drain() {
    char bytes[64];
    while (::read(read_.get(), bytes, sizeof bytes) > 0) {
    }
}

FileDescriptor connectUnix(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "socket path '" + path + "' is empty or too long";
        return {};
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return {};
    }
    int result;
    do {
        result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        error = "cannot connect to " + path + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

bool sendLine(int fd, std::string_view line, Deadline deadline, std::string& error) {
    std::string text(line);
    text.push_back('\n');
    return sendAll(fd, text, deadline, error);
}

bool sendAll(int fd, std::string_view text, Deadline deadline, std::string& error) {
    size_t sent = 0;
    while (sent < text.size()) {
        pollfd entry{fd, POLLOUT, 0};
        int ready = ::poll(&entry, 1, pollTimeout(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            error = "the peer stopped reading";
            return false;
        }
        if (ready < 0) {
            error = std::string("cannot wait for the socket: ") + std::strerror(errno);
            return false;
        }
        ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            error = std::string("cannot send: ") + std::strerror(errno);
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::optional<LineReader::Status> LineReader::takeBuffered(std::string& line) {
    size_t end = buffer_.find('\n');
    if (end == std::string::npos) {
        if (buffer_.size() > kMaxLineLength) {
            discarding_ = true;
            buffer_.clear();
        }
        return std::nullopt;
    }
    bool tooLong = discarding_ || end > kMaxLineLength;
    if (!tooLong) {
        line.assign(buffer_, 0, end);
    }
    buffer_.erase(0, end + 1);
    discarding_ = false;
    return tooLong ? Status::TooLong : Status::Line;
}

LineReader::Status LineReader::next(int fd, std::string& line, Deadline deadline, int wakeFd) {
    for (;;) {
        if (auto status = takeBuffered(line)) {
            return *status;
        }
        pollfd entries[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        int ready = ::poll(entries, wakeFd >= 0 ? 2 : 1, pollTimeout(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Status::Failed;
        }
        if (wakeFd >= 0 && (entries[1].revents & POLLIN)) {
            return Status::Woken;
        }
        if (ready == 0) {
            return Status::Timeout;
        }
        char chunk[kMaxLineLength];
        ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? Status::Closed : Status::Failed;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

}  // namespace lumora_usb_encoder::hid::wire
