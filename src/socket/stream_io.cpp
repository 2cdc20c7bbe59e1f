#include "socket/stream_io.h"

#include "socket/codec.h"
#include "support/socket_system.h"

namespace lumora_usb_encoder::hid::wire {

namespace {

// Milliseconds a wait may take: -1 without a deadline, at least 0 once it has passed.
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
    sockets::close(fd_);
    fd_ = fd;
}

WakePipe::WakePipe() {
    int readEnd = -1;
    int writeEnd = -1;
    if (sockets::makeWakePair(readEnd, writeEnd)) {
        read_.reset(readEnd);
        write_.reset(writeEnd);
    }
}

void WakePipe::wake() {
    sockets::sendWake(write_.get());
}

void WakePipe::drain() {
    sockets::drainWakes(read_.get());
}

FileDescriptor connectUnix(const std::string& path, std::string& error) {
    return FileDescriptor(sockets::connectUnix(path, error));
}

bool sendLine(int fd, std::string_view line, Deadline deadline, std::string& error) {
    std::string text(line);
    text.push_back('\n');
    return sendAll(fd, text, deadline, error);
}

bool sendAll(int fd, std::string_view text, Deadline deadline, std::string& error) {
    size_t sent = 0;
    while (sent < text.size()) {
        sockets::WaitEntry entry{fd, true};
        int ready = sockets::waitFor(&entry, 1, pollTimeout(deadline));
        if (ready == 0) {
            error = "the peer stopped reading";
            return false;
        }
        if (ready < 0) {
            error = "cannot wait for the socket: " + sockets::lastError();
            return false;
        }
        size_t n = 0;
        auto result = sockets::sendSome(fd, text.data() + sent, text.size() - sent, n);
        if (result == sockets::Io::TryAgain) {
            continue;
        }
        if (result != sockets::Io::Done) {
            error = "cannot send: " + sockets::lastError();
            return false;
        }
        sent += n;
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
        sockets::WaitEntry entries[2] = {{fd}, {wakeFd}};
        int ready = sockets::waitFor(entries, wakeFd >= 0 ? 2 : 1, pollTimeout(deadline));
        if (ready < 0) {
            return Status::Failed;
        }
        if (wakeFd >= 0 && entries[1].ready) {
            return Status::Woken;
        }
        if (ready == 0) {
            return Status::Timeout;
        }
        char chunk[kMaxLineLength];
        size_t n = 0;
        switch (sockets::receiveSome(fd, chunk, sizeof chunk, n)) {
            case sockets::Io::TryAgain:
                continue;
            case sockets::Io::Closed:
                return Status::Closed;
            case sockets::Io::Failed:
                return Status::Failed;
            case sockets::Io::Done:
                break;
        }
        buffer_.append(chunk, n);
    }
}

}  // namespace lumora_usb_encoder::hid::wire
