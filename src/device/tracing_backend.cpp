#include "device/tracing_backend.h"

namespace lumora_usb_encoder::hid {

namespace {

class TracingDevice final : public Device {
  public:
    TracingDevice(std::unique_ptr<Device> inner, TracingBackend::Listener& listener)
        : inner_(std::move(inner)), listener_(listener) {}
    int write(const uint8_t* data, size_t length) override {
        listener_({TracedReport::Direction::Written, {data, length}});
        return inner_->write(data, length);
    }
    int read(uint8_t* data, size_t length) override {
        return traced(inner_->read(data, length), data);
    }
    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
        return traced(inner_->readTimeout(data, length, timeoutMs), data);
    }
    int manufacturerString(std::u16string& text) override {
        return inner_->manufacturerString(text);
    }
    int productString(std::u16string& text) override { return inner_->productString(text); }

  private:
    int traced(int result, const uint8_t* data) {
        if (result > 0) {
            listener_({TracedReport::Direction::Read, {data, static_cast<size_t>(result)}});
        }
        return result;
    }
    std::unique_ptr<Device> inner_;
    TracingBackend::Listener& listener_;
};

}  // namespace

std::string traceLine(const TracedReport& report) {
    static const char* digits = "0123456789abcdef";
    std::string line(1, report.direction == TracedReport::Direction::Written ? '>' : '<');
    for (uint8_t byte : report.bytes) {
        line += ' ';
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }
    return line;
}

std::unique_ptr<Device> TracingBackend::openPath(const std::string& path) {
    auto device = inner_->openPath(path);
    if (!device) {
        return nullptr;
    }
    return std::make_unique<TracingDevice>(std::move(device), listener_);
}

}  // namespace lumora_usb_encoder::hid
