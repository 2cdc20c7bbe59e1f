#pragma once

#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "socket/client_connection.h"

namespace lumora_usb_encoder::hid {

// The HID layer served by another process over the socket wire protocol (quillon-sim, or any
// device emulator that speaks it). A server that dies, hangs or talks nonsense turns into the
// HID layer's own failures: writes and reads give -1, a scan finds nothing; never a hang.
class SocketBackend final : public Backend {
  public:
    SocketBackend(std::string name, SocketConnector connector, SocketOptions options = {});
    // Over another transport than a socket (a stream held in memory).
    SocketBackend(std::string name, TransportConnector connector, SocketOptions options = {});

    // Makes the request connection now rather than on first use.
    bool connect(std::string& error) { return connection_->connect(error); }

    std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<Device> openPath(const std::string& path) override;
    // The server keeps no layer state for us, and devices opened earlier (the loader's, say)
    // must keep working, as they do with hidapi; so there is nothing to shut down.
    void shutdown() override {}
    // Events come on a connection and a thread of their own; `handler` runs on that thread.
    std::unique_ptr<Watch> watch(BusEventHandler handler) override;

  private:
    std::shared_ptr<SocketConnection> connection_;
};

// The backend for `--hid-socket PATH` / QUILLON_HID_SOCKET. Connects at once, so that a wrong
// path is told at start; nullptr and the reason in `error` when nobody serves PATH. Later
// failures go to `options.diagnostics`.
std::shared_ptr<Backend> makeSocketBackend(const std::string& path, std::string& error,
                                           SocketOptions options = {});

}  // namespace lumora_usb_encoder::hid
