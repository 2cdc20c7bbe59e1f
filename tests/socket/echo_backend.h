#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "device/hid_backend.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// A bus of devices that answer each report with the same report: enough to see every byte
// cross the socket both ways, and to unplug a device or announce events at will.
class EchoBackend final : public hid::Backend {
  public:
    explicit EchoBackend(std::vector<hid::DeviceInfo> devices) : state_(std::make_shared<State>()) {
        state_->devices = std::move(devices);
    }

    std::vector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override {
        std::lock_guard lock(state_->mutex);
        std::vector<hid::DeviceInfo> found;
        for (const auto& info : state_->devices) {
            if ((vendorId == 0 || info.vendorId == vendorId) &&
                (productId == 0 || info.productId == productId)) {
                found.push_back(info);
            }
        }
        return found;
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override {
        std::lock_guard lock(state_->mutex);
        for (const auto& info : state_->devices) {
            if (info.path == path) {
                return std::make_unique<EchoDevice>(state_, info);
            }
        }
        return nullptr;
    }
    void shutdown() override {}
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler handler) override {
        std::lock_guard lock(state_->mutex);
        state_->watchers.push_back(std::move(handler));
        return std::make_unique<hid::Watch>();
    }

    void unplug(const std::string& path) {
        std::lock_guard lock(state_->mutex);
        state_->gone.insert(path);
    }
    void announce(hid::BusEvent event, const std::string& path) {
        std::lock_guard lock(state_->mutex);
        for (auto& watcher : state_->watchers) {
            watcher(event, path);
        }
    }
    size_t watchers() {
        std::lock_guard lock(state_->mutex);
        return state_->watchers.size();
    }

  private:
    struct State {
        std::mutex mutex;
        std::vector<hid::DeviceInfo> devices;
        std::set<std::string> gone;
        std::vector<hid::BusEventHandler> watchers;
    };

    class EchoDevice final : public hid::Device {
      public:
        EchoDevice(std::shared_ptr<State> state, hid::DeviceInfo info)
            : state_(std::move(state)), info_(std::move(info)) {}
        int write(const uint8_t* data, size_t length) override {
            std::lock_guard lock(state_->mutex);
            if (state_->gone.count(info_.path)) {
                return -1;
            }
            pending_.emplace_back(data, data + length);
            return static_cast<int>(length);
        }
        int read(uint8_t* data, size_t length) override { return readTimeout(data, length, 0); }
        int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
            {
                std::lock_guard lock(state_->mutex);
                if (state_->gone.count(info_.path)) {
                    return -1;
                }
                if (!pending_.empty()) {
                    auto report = std::move(pending_.front());
                    pending_.pop_front();
                    size_t n = std::min(length, report.size());
                    std::copy_n(report.begin(), n, data);
                    return static_cast<int>(n);
                }
            }
            Sleep(static_cast<uint32_t>(timeoutMs));
            return 0;
        }
        int manufacturerString(std::u16string& text) override { return describe(text, true); }
        int productString(std::u16string& text) override { return describe(text, false); }

      private:
        int describe(std::u16string& text, bool manufacturer) {
            std::lock_guard lock(state_->mutex);
            if (state_->gone.count(info_.path)) {
                return -1;
            }
            text = manufacturer ? info_.manufacturer : info_.product;
            return 0;
        }
        std::shared_ptr<State> state_;
        hid::DeviceInfo info_;
        std::deque<std::vector<uint8_t>> pending_;
    };

    std::shared_ptr<State> state_;
};

}  // namespace lumora_usb_encoder::testing
