#pragma once

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// The real HID layer. The only file of the program that includes <hidapi.h>.
class HidapiBackend final : public Backend {
  public:
    std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<Device> openPath(const std::string& path) override;
    bool accessDenied(const std::string& path) override;
    void shutdown() override;
    // hidapi has no notifications: the watch polls the enumeration.
    std::unique_ptr<Watch> watch(BusEventHandler handler) override;
};

}  // namespace lumora_usb_encoder::hid
