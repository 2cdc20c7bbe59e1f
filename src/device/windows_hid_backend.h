#pragma once

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// The Windows HID API (SetupAPI, hid.dll) behind the same port as hidapi on Linux. The only
// file of the program that includes the HID API's headers.
class WindowsHidBackend final : public Backend {
  public:
    std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<Device> openPath(const std::string& path) override;
    bool accessDenied(const std::string& path) override;
    void shutdown() override {}
    // The API's device notifications need a window; the watch compares the paths instead.
    std::unique_ptr<Watch> watch(BusEventHandler handler) override;
};

}  // namespace lumora_usb_encoder::hid
