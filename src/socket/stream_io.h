#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// The plumbing under the socket wire protocol: sockets, connecting, whole-line writes and bounded
// line reads, every wait with a deadline or a way to be woken (the system's calls are in
// support/socket_system.h).
namespace lumora_usb_encoder::hid::wire {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;  // none: wait for ever

Deadline deadlineIn(std::chrono::milliseconds span);

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

// A pipe (on Windows a socket pair) that turns "something happened" into a readable socket, so
// that a thread waiting on sockets can be told to stop or to look at a queue.
class WakePipe {
  public:
    WakePipe();
    bool valid() const { return read_.valid() && write_.valid(); }
    int fd() const { return read_.get(); }
    void wake();
    void drain();

  private:
    FileDescriptor read_;
    FileDescriptor write_;
};

// A Unix-domain stream socket connected to `path`, or an invalid descriptor and the reason.
FileDescriptor connectUnix(const std::string& path, std::string& error);

// Writes `bytes` completely. False (with the reason) on error or when the peer stops reading
// until the deadline passes. Never raises SIGPIPE.
bool sendAll(int fd, std::string_view bytes, Deadline deadline, std::string& error);
// Writes `line` and its '\n', as sendAll does.
bool sendLine(int fd, std::string_view line, Deadline deadline, std::string& error);

// Reads '\n'-terminated lines of at most kMaxLineLength bytes from a stream descriptor. Holds at
// most one line and one read's worth of bytes, however long the peer's line is.
class LineReader {
  public:
    enum class Status {
        Line,     // `line` holds the next line, without its '\n'
        TooLong,  // a line longer than the limit has ended; its bytes are dropped
        Timeout,  // the deadline passed first
        Closed,   // the peer closed the stream (a partial last line is dropped)
        Failed,   // the descriptor gave an error
        Woken,    // `wakeFd` became readable first
    };
    Status next(int fd, std::string& line, Deadline deadline, int wakeFd = -1);

    // For a stream that is no descriptor: `append` what one read gave (at most kMaxLineLength
    // bytes, as `next` reads), then `takeBuffered` gives the next line, or nothing while it is
    // incomplete.
    void append(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<Status> takeBuffered(std::string& line);

  private:
    std::string buffer_;
    bool discarding_ = false;
};

}  // namespace lumora_usb_encoder::hid::wire
