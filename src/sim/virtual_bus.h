#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/hid_backend.h"

namespace lumora_usb_encoder::sim {

// One report of at most 64 bytes, held in place: queueing a reply allocates nothing.
class Report {
  public:
    static constexpr size_t kCapacity = 64;
    Report() = default;
    explicit Report(size_t zeros) : size_(std::min(zeros, kCapacity)) {}
    Report(const uint8_t* first, const uint8_t* last)
        : size_(std::min(static_cast<size_t>(last - first), kCapacity)) {
        std::copy_n(first, size_, bytes_.begin());
    }
    uint8_t& operator[](size_t i) { return bytes_[i]; }
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return size_; }

  private:
    std::array<uint8_t, kCapacity> bytes_{};
    size_t size_ = 0;
};

// Something that can sit on the virtual bus: the keypad, the bootstrap loader. All its calls are
// made with the bus lock held, so a device needs no lock of its own.
class BusDevice {
  public:
    virtual ~BusDevice() = default;
    virtual uint16_t vendorId() const = 0;
    virtual uint16_t productId() const = 0;
    virtual std::vector<int> interfaces() const = 0;
    virtual std::u16string manufacturer() const { return {}; }
    virtual std::u16string product() const { return {}; }
    // The host wrote an output report to one of the device's interfaces. `now` is the clock's
    // tick count; replies are queued with the time they become readable.
    virtual void hostWrite(int interfaceNumber, const uint8_t* data, size_t length,
                           uint32_t now) = 0;
    // Called when the device has just arrived on the bus (a restart starts afresh).
    virtual void attached(uint32_t now) { (void)now; }
};

// A report waiting for the host, readable from `readyAt` on.
struct PendingReport {
    uint32_t readyAt = 0;
    Report bytes;
};

// The reports one interface holds for the host, oldest first. Taken from the front by an index,
// not by erasing, so that a long burst (a large TX Data Block) drains in linear time; the room
// once grown is kept, so the steady flow of replies allocates nothing.
class ReportQueue {
  public:
    bool empty() const { return head_ == items_.size(); }
    const PendingReport& front() const { return items_[head_]; }
    void push(const PendingReport& report) { items_.push_back(report); }
    // Room for `count` more at once, rather than growing step by step during a burst; still
    // by doubling, so that bursts that pile up unread cost linear time.
    void reserveMore(size_t count) {
        size_t needed = items_.size() + count;
        if (needed > items_.capacity()) {
            items_.reserve(std::max(needed, 2 * items_.capacity()));
        }
    }
    void pop();

  private:
    std::vector<PendingReport> items_;
    size_t head_ = 0;
};

// The simulated USB bus: devices arrive and leave (now or at a tick of the clock), the host
// enumerates, opens and exchanges reports. A handle opened before a device left stays stale
// after it comes back, as on a real bus.
class VirtualBus : public std::enable_shared_from_this<VirtualBus> {
  public:
    using Listener = std::function<void(hid::BusEvent, const std::string& path)>;

    // Puts `device` on the bus `delayMs` from now (0: at once).
    void attach(std::shared_ptr<BusDevice> device, uint32_t delayMs = 0);
    // Puts `device` on the bus at tick `at` (for returns timed from a departure).
    void attachAt(std::shared_ptr<BusDevice> device, uint32_t at);
    // Takes `device` off the bus at once; pending arrivals of it are cancelled.
    void detach(const BusDevice* device);
    // Takes `device` off the bus `delayMs` from now, so that a reply already queued can still be
    // read; `then` runs (bus lock held) right after it left, for example to bring another device.
    void detachLater(const BusDevice* device, uint32_t delayMs,
                     std::function<void(uint32_t now)> then = {});
    bool present(const BusDevice* device);
    // Runs `then` (bus lock held) once the clock reaches tick `at`, for devices that act of their
    // own accord at a set time (a key pressed on the simulated keypad).
    void callAt(uint32_t at, std::function<void(uint32_t now)> then);
    // The device behind one of its interface paths; nullptr when none is present there.
    std::shared_ptr<BusDevice> deviceAt(const std::string& path);

    std::vector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId);

    // Queues a report for the host on an interface of a present device. Called by devices from
    // hostWrite, or by tests (a key press) with the bus lock not held.
    void queueReport(const BusDevice* device, int interfaceNumber, PendingReport report);
    // `count` reports at once, `make(i)` giving the i-th: a burst of replies (a large TX Data
    // Block) takes the lock and finds its queue once, and the queue grows once for all of them.
    void queueReports(const BusDevice* device, int interfaceNumber, size_t count,
                      const std::function<PendingReport(size_t i)>& make);

    // Host side, used by the backends. A handle is the presence of one device at one interface.
    struct Handle {
        uint64_t presence = 0;
        int interfaceNumber = 0;
    };
    std::optional<Handle> open(const std::string& path);
    int write(const Handle& handle, const uint8_t* data, size_t length);
    // Non-blocking: 0 when nothing is readable now, -1 when the device has left.
    int read(const Handle& handle, uint8_t* data, size_t length);
    // The tick at which the next report of this handle becomes readable, if one is queued.
    std::optional<uint32_t> nextReadyAt(const Handle& handle);
    bool handleAlive(const Handle& handle);
    std::optional<hid::DeviceInfo> info(const Handle& handle);

    // Arrivals and removals; returns an id for unsubscribe.
    int subscribe(Listener listener);
    void unsubscribe(int id);
    // Makes due arrivals happen; the host calls paths through here, so arrivals are seen at the
    // time the clock says. A server may call it from a timer to push ARRIVAL events promptly.
    void poll();

    std::recursive_mutex& mutex() { return mutex_; }

    // Full-speed interrupt endpoint timing: a report written reaches the device at the next 1 ms
    // frame boundary (the write holds the host until then, one report per frame), and a report
    // the device queues becomes readable at the frame boundary after it is ready.
    void setUsbFrames(bool on) { usbFrames_ = on; }
    bool usbFrames() const { return usbFrames_; }

  private:
    struct Presence {
        std::shared_ptr<BusDevice> device;
        std::map<int, ReportQueue> queues;
    };
    // A change of the bus that is due at a tick of the clock.
    struct Scheduled {
        uint32_t at = 0;
        bool arrival = true;
        std::shared_ptr<BusDevice> device;
        const BusDevice* leaving = nullptr;
        std::function<void(uint32_t now)> then;
    };
    struct Changes {
        std::vector<std::string> arrived;
        std::vector<std::string> removed;
    };
    void arriveLocked(const std::shared_ptr<BusDevice>& device, Changes& changes);
    void removeLocked(const BusDevice* device, Changes& changes);
    void pollLocked(Changes& changes);
    Presence* presenceLocked(uint64_t id);
    void notify(const Changes& changes);
    static std::string pathFor(uint64_t presence, int interfaceNumber);

    std::recursive_mutex mutex_;
    std::atomic<bool> usbFrames_{false};
    std::map<uint64_t, Presence> present_;
    std::vector<Scheduled> schedule_;
    uint64_t nextPresence_ = 1;
    std::mutex listenerMutex_;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;
};

// The HID backend over a virtual bus, in this process.
class SimBackend final : public hid::Backend {
  public:
    explicit SimBackend(std::shared_ptr<VirtualBus> bus) : bus_(std::move(bus)) {}
    std::vector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::unique_ptr<hid::Device> openPath(const std::string& path) override;
    void shutdown() override {}
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler handler) override;
    bool simulatedInProcess() const override { return true; }
    const std::shared_ptr<VirtualBus>& bus() const { return bus_; }

  private:
    std::shared_ptr<VirtualBus> bus_;
};

}  // namespace lumora_usb_encoder::sim
