#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "device/hid_backend.h"
#include "socket/client_connection.h"
#include "socket/stream_io.h"

namespace lumora_usb_encoder::hid {

// A WATCH connection: the server's ARRIVAL and REMOVAL lines, handed to `handler` on a thread
// of its own until the watch is destroyed. A server that goes away takes its devices with it:
// each one it had is reported removed, and the watch looks for the server again every
// kRetryPeriod; when it is back, each device it has is reported as arrived. So a window that
// follows its keypad sees a restarted simulator as an unplug and a replug.
class SocketWatch final : public Watch {
  public:
    static constexpr std::chrono::milliseconds kRetryPeriod{500};

    // Connects and waits for the server's OK; nullptr (reported) when that fails.
    static std::unique_ptr<SocketWatch> start(const std::shared_ptr<SocketConnection>& connection,
                                              BusEventHandler handler);
    ~SocketWatch() override;

  private:
    SocketWatch(std::shared_ptr<SocketConnection> connection, BusEventHandler handler);
    bool attach(std::string& error);
    void run();
    bool followEvents();  // false when told to stop
    bool reattach();      // false when told to stop
    void announce(BusEvent event, const std::string& path);

    std::shared_ptr<SocketConnection> connection_;  // for its connector, scans and reports
    BusEventHandler handler_;
    std::unique_ptr<wire::LineTransport> link_;
    std::set<std::string> present_;  // touched by the watch thread only, once it runs
    wire::WakePipe stop_;
    std::thread thread_;
};

}  // namespace lumora_usb_encoder::hid
