#pragma once

#include <memory>
#include <thread>

#include "device/hid_backend.h"
#include "device/socket_connection.h"
#include "device/socket_io.h"

namespace lumora_usb_encoder::hid {

// A WATCH connection: the server's ARRIVAL and REMOVAL lines, handed to `handler` on a thread
// of its own until the watch is destroyed or the server goes away.
class SocketWatch final : public Watch {
  public:
    // Connects and waits for the server's OK; nullptr (reported) when that fails.
    static std::unique_ptr<SocketWatch> start(const std::shared_ptr<SocketConnection>& connection,
                                              BusEventHandler handler);
    ~SocketWatch() override;

  private:
    SocketWatch(std::shared_ptr<SocketConnection> connection, wire::FileDescriptor fd,
                wire::LineReader reader, BusEventHandler handler);
    void run();

    std::shared_ptr<SocketConnection> connection_;  // for its connector and reports
    wire::FileDescriptor fd_;
    wire::LineReader reader_;
    BusEventHandler handler_;
    wire::WakePipe stop_;
    std::thread thread_;
};

}  // namespace lumora_usb_encoder::hid
