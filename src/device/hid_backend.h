#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumora_usb_encoder::hid {

// One entry of an enumeration, as the HID layer reports it.
struct DeviceInfo {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int interfaceNumber = -1;
    std::u16string manufacturer;
    std::u16string product;
};

// An open HID device. Results follow the HID layer: a negative value is an error.
class Device {
  public:
    virtual ~Device() = default;
    // Writes one output report whose first byte is the report ID; returns the bytes written.
    virtual int write(const uint8_t* data, size_t length) = 0;
    // Returns at once: 0 when no input report is waiting, else the bytes copied.
    virtual int read(uint8_t* data, size_t length) = 0;
    // Waits up to timeoutMs for an input report (0: do not wait) and returns as soon as one is
    // there: 0 when none arrived in time, else the bytes copied.
    virtual int readTimeout(uint8_t* data, size_t length, int timeoutMs) = 0;
    // 0 on success.
    virtual int manufacturerString(std::u16string& text) = 0;
    virtual int productString(std::u16string& text) = 0;
};

// Arrival and removal of devices, for windows that follow the bus (the firmware window).
enum class BusEvent { Arrival, Removal };
using BusEventHandler = std::function<void(BusEvent, const std::string& path)>;

class Watch {
  public:
    virtual ~Watch() = default;  // stops the notifications
};

class Backend {
  public:
    virtual ~Backend() = default;
    // 0 for vendorId or productId matches any.
    virtual std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // nullptr when the path cannot be opened.
    virtual std::unique_ptr<Device> openPath(const std::string& path) = 0;
    // True when `path` exists but this user may not open it for reading and writing: the device
    // is there, the system's access rule for it is not. Backends that cannot tell answer false.
    virtual bool accessDenied(const std::string& /*path*/) { return false; }
    // Shuts the layer down; the next enumerate starts it afresh.
    virtual void shutdown() = 0;
    // nullptr when the backend cannot deliver notifications.
    virtual std::unique_ptr<Watch> watch(BusEventHandler handler) = 0;
    // True only for the simulation inside this process: what answers there is ours for certain.
    // Anything behind a socket or a cable may be real hardware.
    virtual bool simulatedInProcess() const { return false; }
};

// The backend every device call of the process goes through.
Backend& backend();
std::shared_ptr<Backend> setBackend(std::shared_ptr<Backend> replacement);

}  // namespace lumora_usb_encoder::hid
