#include "sim/virtual_bus.h"

#include <algorithm>
#include <cstring>

#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {
// Signed difference, so that a due time survives the wrap-around of the tick counter.
bool reached(uint32_t now, uint32_t at) {
    return static_cast<int32_t>(now - at) >= 0;
}
}  // namespace

std::string VirtualBus::pathFor(uint64_t presence, int interfaceNumber) {
    return "sim-" + std::to_string(presence) + "-if" + std::to_string(interfaceNumber);
}

void ReportQueue::pop() {
    ++head_;
    if (head_ == items_.size()) {
        items_.clear();
        head_ = 0;
    } else if (head_ > items_.size() / 2) {
        // A host that reads while replies keep coming never empties the queue; dropping the
        // read half now and then keeps its room bounded at a cost of one move per report.
        items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

void VirtualBus::attach(std::shared_ptr<BusDevice> device, uint32_t delayMs) {
    Changes changes;
    {
        std::lock_guard lock(mutex_);
        if (delayMs == 0) {
            arriveLocked(device, changes);
        } else {
            schedule_.push_back({GetTickCount() + delayMs, true, std::move(device), nullptr, {}});
        }
    }
    notify(changes);
}

void VirtualBus::attachAt(std::shared_ptr<BusDevice> device, uint32_t at) {
    std::lock_guard lock(mutex_);
    schedule_.push_back({at, true, std::move(device), nullptr, {}});
}

void VirtualBus::detach(const BusDevice* device) {
    Changes changes;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(schedule_, [&](const Scheduled& s) { return s.device.get() == device; });
        removeLocked(device, changes);
    }
    notify(changes);
}

void VirtualBus::detachLater(const BusDevice* device, uint32_t delayMs,
                             std::function<void(uint32_t now)> then) {
    std::lock_guard lock(mutex_);
    schedule_.push_back({GetTickCount() + delayMs, false, nullptr, device, std::move(then)});
}

void VirtualBus::callAt(uint32_t at, std::function<void(uint32_t now)> then) {
    std::lock_guard lock(mutex_);
    schedule_.push_back({at, false, nullptr, nullptr, std::move(then)});
}

std::shared_ptr<BusDevice> VirtualBus::deviceAt(const std::string& path) {
    auto handle = open(path);
    std::lock_guard lock(mutex_);
    Presence* presence = handle ? presenceLocked(handle->presence) : nullptr;
    return presence ? presence->device : nullptr;
}

void VirtualBus::arriveLocked(const std::shared_ptr<BusDevice>& device, Changes& changes) {
    uint64_t id = nextPresence_++;
    Presence& presence = present_[id];
    presence.device = device;
    for (int iface : device->interfaces()) {
        presence.queues[iface];
        changes.arrived.push_back(pathFor(id, iface));
    }
    device->attached(GetTickCount());
}

void VirtualBus::removeLocked(const BusDevice* device, Changes& changes) {
    for (auto it = present_.begin(); it != present_.end();) {
        if (it->second.device.get() == device) {
            for (const auto& entry : it->second.queues) {
                changes.removed.push_back(pathFor(it->first, entry.first));
            }
            it = present_.erase(it);
        } else {
            ++it;
        }
    }
}

void VirtualBus::pollLocked(Changes& changes) {
    uint32_t now = GetTickCount();
    for (;;) {
        // The earliest due change first, so a departure and the following return keep order.
        auto next = std::min_element(
            schedule_.begin(), schedule_.end(), [now](const Scheduled& a, const Scheduled& b) {
                return static_cast<int32_t>(a.at - now) < static_cast<int32_t>(b.at - now);
            });
        if (next == schedule_.end() || !reached(now, next->at)) {
            return;
        }
        Scheduled due = std::move(*next);
        schedule_.erase(next);
        if (due.arrival) {
            arriveLocked(due.device, changes);
        } else {
            removeLocked(due.leaving, changes);
            if (due.then) {
                due.then(due.at);
            }
        }
    }
}

void VirtualBus::poll() {
    Changes changes;
    {
        std::lock_guard lock(mutex_);
        pollLocked(changes);
    }
    notify(changes);
}

bool VirtualBus::present(const BusDevice* device) {
    poll();
    std::lock_guard lock(mutex_);
    return std::any_of(present_.begin(), present_.end(),
                       [&](const auto& entry) { return entry.second.device.get() == device; });
}

std::vector<hid::DeviceInfo> VirtualBus::enumerate(uint16_t vendorId, uint16_t productId) {
    poll();
    std::vector<hid::DeviceInfo> result;
    std::lock_guard lock(mutex_);
    for (const auto& [id, presence] : present_) {
        const BusDevice& device = *presence.device;
        if ((vendorId != 0 && device.vendorId() != vendorId) ||
            (productId != 0 && device.productId() != productId)) {
            continue;
        }
        for (int iface : device.interfaces()) {
            result.push_back({pathFor(id, iface), device.vendorId(), device.productId(), iface,
                              device.manufacturer(), device.product()});
        }
    }
    return result;
}

VirtualBus::Presence* VirtualBus::presenceLocked(uint64_t id) {
    auto it = present_.find(id);
    return it == present_.end() ? nullptr : &it->second;
}

void VirtualBus::queueReport(const BusDevice* device, int interfaceNumber, PendingReport report) {
    queueReports(device, interfaceNumber, 1, [&report](size_t) { return report; });
}

void VirtualBus::queueReports(const BusDevice* device, int interfaceNumber, size_t count,
                              const std::function<PendingReport(size_t i)>& make) {
    // The IN token of the frame after a report is ready takes it.
    uint32_t frameDelay = usbFrames_ ? 1 : 0;
    std::lock_guard lock(mutex_);
    for (auto& [id, presence] : present_) {
        if (presence.device.get() == device) {
            ReportQueue& queue = presence.queues[interfaceNumber];
            queue.reserveMore(count);
            for (size_t i = 0; i < count; ++i) {
                PendingReport report = make(i);
                report.readyAt += frameDelay;
                queue.push(report);
            }
            return;
        }
    }
}

std::optional<VirtualBus::Handle> VirtualBus::open(const std::string& path) {
    poll();
    std::lock_guard lock(mutex_);
    for (const auto& [id, presence] : present_) {
        for (const auto& entry : presence.queues) {
            if (pathFor(id, entry.first) == path) {
                return Handle{id, entry.first};
            }
        }
    }
    return std::nullopt;
}

int VirtualBus::write(const Handle& handle, const uint8_t* data, size_t length) {
    if (usbFrames_) {
        SleepUntil(GetTickCount() + 1);  // outside the lock: the device keeps answering
    }
    poll();
    Changes changes;
    int result = -1;
    {
        std::lock_guard lock(mutex_);
        if (Presence* presence = presenceLocked(handle.presence)) {
            // Hold the device through the call: it may take itself off the bus.
            std::shared_ptr<BusDevice> device = presence->device;
            device->hostWrite(handle.interfaceNumber, data, length, GetTickCount());
            result = static_cast<int>(length);
        }
        pollLocked(changes);
    }
    notify(changes);
    return result;
}

int VirtualBus::read(const Handle& handle, uint8_t* data, size_t length) {
    poll();
    std::lock_guard lock(mutex_);
    Presence* presence = presenceLocked(handle.presence);
    if (presence == nullptr) {
        return -1;
    }
    auto& queue = presence->queues[handle.interfaceNumber];
    if (queue.empty() || !reached(GetTickCount(), queue.front().readyAt)) {
        return 0;
    }
    const Report& report = queue.front().bytes;
    size_t count = std::min(length, report.size());
    std::memcpy(data, report.data(), count);
    queue.pop();
    return static_cast<int>(count);
}

std::optional<uint32_t> VirtualBus::nextReadyAt(const Handle& handle) {
    std::lock_guard lock(mutex_);
    Presence* presence = presenceLocked(handle.presence);
    if (presence == nullptr) {
        return std::nullopt;
    }
    auto& queue = presence->queues[handle.interfaceNumber];
    if (queue.empty()) {
        return std::nullopt;
    }
    return queue.front().readyAt;
}

bool VirtualBus::handleAlive(const Handle& handle) {
    poll();
    std::lock_guard lock(mutex_);
    return presenceLocked(handle.presence) != nullptr;
}

std::optional<hid::DeviceInfo> VirtualBus::info(const Handle& handle) {
    std::lock_guard lock(mutex_);
    Presence* presence = presenceLocked(handle.presence);
    if (presence == nullptr) {
        return std::nullopt;
    }
    const BusDevice& device = *presence->device;
    return hid::DeviceInfo{pathFor(handle.presence, handle.interfaceNumber),
                           device.vendorId(),
                           device.productId(),
                           handle.interfaceNumber,
                           device.manufacturer(),
                           device.product()};
}

int VirtualBus::subscribe(Listener listener) {
    std::lock_guard lock(listenerMutex_);
    int id = nextListener_++;
    listeners_[id] = std::move(listener);
    return id;
}

void VirtualBus::unsubscribe(int id) {
    std::lock_guard lock(listenerMutex_);
    listeners_.erase(id);
}

void VirtualBus::notify(const Changes& changes) {
    if (changes.arrived.empty() && changes.removed.empty()) {
        return;
    }
    std::map<int, Listener> listeners;
    {
        std::lock_guard lock(listenerMutex_);
        listeners = listeners_;
    }
    for (const auto& [id, listener] : listeners) {
        for (const auto& path : changes.removed) {
            listener(hid::BusEvent::Removal, path);
        }
        for (const auto& path : changes.arrived) {
            listener(hid::BusEvent::Arrival, path);
        }
    }
}

}  // namespace lumora_usb_encoder::sim
