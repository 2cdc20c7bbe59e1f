#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// One report as it crossed the device layer.
struct TracedReport {
    enum class Direction { Written, Read };
    Direction direction;
    std::span<const uint8_t> bytes;
};

// Passes every call to `inner` and hands `listener` each report written and each report read.
// Empty polls are not reported. The listener is called on the thread of the exchange.
class TracingBackend final : public Backend {
  public:
    using Listener = std::function<void(const TracedReport& report)>;
    TracingBackend(std::shared_ptr<Backend> inner, Listener listener)
        : inner_(std::move(inner)), listener_(std::move(listener)) {}
    std::vector<DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override {
        return inner_->enumerate(vendorId, productId);
    }
    std::unique_ptr<Device> openPath(const std::string& path) override;
    bool accessDenied(const std::string& path) override { return inner_->accessDenied(path); }
    void shutdown() override { inner_->shutdown(); }
    std::unique_ptr<Watch> watch(BusEventHandler handler) override {
        return inner_->watch(std::move(handler));
    }
    bool simulatedInProcess() const override { return inner_->simulatedInProcess(); }

  private:
    std::shared_ptr<Backend> inner_;
    Listener listener_;
};

// "> " for a report written, "< " for one read, then its bytes as lower-case hex pairs.
std::string traceLine(const TracedReport& report);

}  // namespace lumora_usb_encoder::hid
