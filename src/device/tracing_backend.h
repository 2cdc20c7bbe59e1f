#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// Passes every call to `inner` and reports each report written ("> ") and read ("< ") as one
// line of lower-case hex pairs. Empty polls are not reported.
class TracingBackend final : public Backend {
  public:
    using Sink = std::function<void(const std::string& line)>;
    TracingBackend(std::shared_ptr<Backend> inner, Sink sink)
        : inner_(std::move(inner)), sink_(std::move(sink)) {}
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
    Sink sink_;
};

std::string traceLine(char direction, const uint8_t* data, size_t length);

}  // namespace lumora_usb_encoder::hid
