#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "device/hid_backend.h"

namespace lumora_usb_encoder {

// Arrivals and removals of devices on the bus, for whatever follows it (the keypad service
// follows the keypad, the firmware window counts loaders). The backend decides how changes are
// seen: hidapi compares its enumeration every 500 ms, the socket server sends WATCH events, the
// simulated bus announces its own.
//
// The handler runs on the backend's notification thread: it must only note the change and hand
// the work to its own thread. Once stop() (or the destructor) has returned the handler is never
// called again, so an object the handler refers to may go right after.
class DeviceWatcher {
  public:
    using Handler = std::function<void(hid::BusEvent event, const std::string& path)>;

    DeviceWatcher();
    ~DeviceWatcher();
    DeviceWatcher(const DeviceWatcher&) = delete;
    DeviceWatcher& operator=(const DeviceWatcher&) = delete;

    // Follows devices of `vendorId`:`productId` (0 matches any). False when the backend cannot
    // tell of changes; nothing is watched then.
    bool start(Handler handler, uint16_t vendorId = 0, uint16_t productId = 0);
    void stop();
    bool running() const { return watch_ != nullptr; }

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<hid::Watch> watch_;
};

}  // namespace lumora_usb_encoder
