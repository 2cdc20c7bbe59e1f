#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "socket/answer.h"
#include "socket/line_transport.h"
#include "socket/request.h"
#include "socket/stream_io.h"

namespace lumora_usb_encoder::hid {

struct SocketOptions {
    // How long, in real time, the server may take to answer beyond the wait a READ asks for.
    // A server that takes longer counts as hung and the connection is dropped.
    std::chrono::milliseconds answerMargin{3000};
    // Told about every failure of the server (death, silence, garbage, a refused request).
    // Called on the thread that saw it, with the connection's lock held: it must not call back
    // into the backend. quillonctl prints these on stderr.
    std::function<void(const std::string&)> diagnostics;
};

// Makes a fresh connection to the server, or an invalid descriptor and the reason.
using SocketConnector = std::function<wire::FileDescriptor(std::string& error)>;
// The same over any transport: nullptr and the reason when there is no server.
using TransportConnector = std::function<std::unique_ptr<wire::LineTransport>(std::string& error)>;
TransportConnector overSockets(SocketConnector connector);

// The one request connection of a SocketBackend, shared with the devices it opened. Requests
// are strictly one at a time. Any failure drops the connection: its handles die with it (their
// devices answer -1 from then on) and the next enumerate connects afresh, so a restarted server
// is found again by the next scan (also when only the server noticed the old connection's end).
class SocketConnection {
  public:
    static constexpr uint64_t kConnectIfNeeded = 0;

    SocketConnection(std::string name, TransportConnector connector, SocketOptions options);

    bool connect(std::string& error);

    struct Reply {
        wire::Answer answer;
        uint64_t generation = 0;  // of the connection that answered
    };
    // Sends `request` and reads its one answer line, which must be of an `expected` kind (ERR is
    // always accepted and reported). `generation` is a device's connection, or
    // kConnectIfNeeded. Nothing when the connection is gone or failed now.
    std::optional<Reply> ask(uint64_t generation, const wire::Request& request,
                             std::chrono::milliseconds wait,
                             std::initializer_list<wire::AnswerKind> expected);
    // ENUMERATE and its DEVICE lines up to END; empty on any failure.
    std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId);

    // For a WATCH connection of its own.
    std::unique_ptr<wire::LineTransport> connectAnother(std::string& error) {
        return connector_(error);
    }
    const SocketOptions& options() const { return options_; }
    void report(const std::string& message);

  private:
    bool usableLocked(uint64_t generation);
    // `quiet`: a failure is not reported (a retry follows that will be).
    bool sendLocked(const wire::Request& request, bool quiet = false);
    std::optional<wire::Answer> receiveLocked(std::chrono::milliseconds wait,
                                              const std::string& what);
    void breakLocked(const std::string& reason, bool quiet = false);

    std::mutex mutex_;
    std::string name_;
    TransportConnector connector_;
    SocketOptions options_;
    std::unique_ptr<wire::LineTransport> link_;
    uint64_t generation_ = 0;
    std::string lastConnectError_;
};

}  // namespace lumora_usb_encoder::hid
