#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "sim/virtual_bus.h"
#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {

class SimDevice final : public hid::Device {
  public:
    SimDevice(std::shared_ptr<VirtualBus> bus, VirtualBus::Handle handle)
        : bus_(std::move(bus)), handle_(handle) {}

    int write(const uint8_t* data, size_t length) override {
        return bus_->write(handle_, data, length);
    }
    int read(uint8_t* data, size_t length) override { return bus_->read(handle_, data, length); }

    // Waits on the process clock, so a virtual clock makes the wait free while the reply delays
    // of the simulated keypad still hold.
    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
        uint32_t start = GetTickCount();
        for (;;) {
            int got = bus_->read(handle_, data, length);
            if (got != 0) {
                return got;
            }
            uint32_t elapsed = GetTickCount() - start;
            if (timeoutMs <= 0 || elapsed >= static_cast<uint32_t>(timeoutMs)) {
                return 0;
            }
            // Until the next tick: reports become readable on whole ticks, so waking at the
            // tick's start takes a reply as soon as it is there (a plain 1 ms sleep overshoots
            // into the next tick), and one queued meanwhile by another thread (a key press) is
            // taken within a millisecond, like a real read that wakes on arrival.
            SleepUntil(GetTickCount() + 1);
        }
    }
    int manufacturerString(std::u16string& text) override { return describe(text, true); }
    int productString(std::u16string& text) override { return describe(text, false); }

  private:
    int describe(std::u16string& text, bool manufacturer) {
        auto info = bus_->info(handle_);
        if (!info) {
            return -1;
        }
        text = manufacturer ? info->manufacturer : info->product;
        return 0;
    }

    std::shared_ptr<VirtualBus> bus_;
    VirtualBus::Handle handle_;
};

// The bus makes its timed changes (a keypad leaving for its loader, coming back after a reset)
// when someone looks at it; a watcher must hear of them without looking, so it looks every
// 100 ms of real time, as a real bus would tell of them on its own.
class SimWatch final : public hid::Watch {
  public:
    SimWatch(std::shared_ptr<VirtualBus> bus, int id)
        : bus_(std::move(bus)), id_(id), thread_([this] { run(); }) {}
    ~SimWatch() override {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
        bus_->unsubscribe(id_);
    }

  private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; })) {
            lock.unlock();
            bus_->poll();
            lock.lock();
        }
    }

    std::shared_ptr<VirtualBus> bus_;
    int id_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

std::vector<hid::DeviceInfo> SimBackend::enumerate(uint16_t vendorId, uint16_t productId) {
    return bus_->enumerate(vendorId, productId);
}

std::unique_ptr<hid::Device> SimBackend::openPath(const std::string& path) {
    auto handle = bus_->open(path);
    if (!handle) {
        return nullptr;
    }
    return std::make_unique<SimDevice>(bus_, *handle);
}

std::unique_ptr<hid::Watch> SimBackend::watch(hid::BusEventHandler handler) {
    int id = bus_->subscribe(std::move(handler));
    return std::make_unique<SimWatch>(bus_, id);
}

}  // namespace lumora_usb_encoder::sim
