#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "socket/stream_io.h"

namespace lumora_usb_encoder::hid::wire {

// One connection to the server as the client uses it: whole lines out, bounded lines in. The
// programs talk over a Unix socket; a stream held in memory can stand in for the server, so
// that the client's reading and parsing run without a kernel call.
class LineTransport {
  public:
    virtual ~LineTransport() = default;
    // Writes `line` and its '\n'; false, with the reason, when that fails or the peer stops
    // reading until the deadline.
    virtual bool sendLine(std::string_view line, Deadline deadline, std::string& error) = 0;
    // The next line, as LineReader::next gives it; `wakeFd` ends a wait early.
    virtual LineReader::Status nextLine(std::string& line, Deadline deadline, int wakeFd = -1) = 0;
};

// A connected stream socket.
class SocketTransport final : public LineTransport {
  public:
    explicit SocketTransport(FileDescriptor fd) : fd_(std::move(fd)) {}
    bool sendLine(std::string_view line, Deadline deadline, std::string& error) override;
    LineReader::Status nextLine(std::string& line, Deadline deadline, int wakeFd) override;

  private:
    FileDescriptor fd_;
    LineReader reader_;
};

}  // namespace lumora_usb_encoder::hid::wire
