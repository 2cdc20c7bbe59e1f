#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "../device/scripted_device.h"
#include "device/hid_backend.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// A bus of devices that answer each report with the same report: enough to see every byte
// cross the socket both ways, and to unplug a device or announce events at will. Devices must
// not outlive it.
class EchoBackend final : public hid::Backend {
  public:
    explicit EchoBackend(std::vector<hid::DeviceInfo> devices) : devices_(std::move(devices)) {}

    std::vector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override {
        return matching(devices_, vendorId, productId);
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override {
        for (const auto& info : devices_) {
            if (info.path == path) {
                return std::make_unique<EchoDevice>(*this, info);
            }
        }
        return nullptr;
    }
    void shutdown() override {}
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler handler) override {
        std::lock_guard lock(mutex_);
        watchers_.push_back(std::move(handler));
        return std::make_unique<hid::Watch>();
    }

    void unplug(const std::string& path) {
        std::lock_guard lock(mutex_);
        gone_.insert(path);
    }
    void announce(hid::BusEvent event, const std::string& path) {
        std::lock_guard lock(mutex_);
        for (auto& watcher : watchers_) {
            watcher(event, path);
        }
    }

  private:
    class EchoDevice final : public hid::Device {
      public:
        EchoDevice(EchoBackend& bus, hid::DeviceInfo info) : bus_(bus), info_(std::move(info)) {}
        int write(const uint8_t* data, size_t length) override {
            if (gone()) {
                return -1;
            }
            pending_.emplace_back(data, data + length);
            return static_cast<int>(length);
        }
        int read(uint8_t* data, size_t length) override { return readTimeout(data, length, 0); }
        int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
            if (gone()) {
                return -1;
            }
            if (pending_.empty()) {
                Sleep(static_cast<uint32_t>(timeoutMs));
                return 0;
            }
            size_t n = std::min(length, pending_.front().size());
            std::copy_n(pending_.front().begin(), n, data);
            pending_.pop_front();
            return static_cast<int>(n);
        }
        int manufacturerString(std::u16string& text) override {
            return copy(info_.manufacturer, text);
        }
        int productString(std::u16string& text) override { return copy(info_.product, text); }

      private:
        int copy(const std::u16string& from, std::u16string& to) {
            to = from;
            return gone() ? -1 : 0;
        }
        bool gone() {
            std::lock_guard lock(bus_.mutex_);
            return bus_.gone_.count(info_.path) != 0;
        }
        EchoBackend& bus_;
        hid::DeviceInfo info_;
        std::deque<std::vector<uint8_t>> pending_;  // each device is used by one thread
    };

    const std::vector<hid::DeviceInfo> devices_;
    std::mutex mutex_;
    std::set<std::string> gone_;
    std::vector<hid::BusEventHandler> watchers_;
};

}  // namespace lumora_usb_encoder::testing
