#include "device/device_watcher.h"

#include <mutex>
#include <set>

namespace lumora_usb_encoder {

// What the notification thread may still reach after the watcher has gone.
struct DeviceWatcher::Shared {
    std::mutex mutex;
    Handler handler;        // empty once stopped
    uint16_t vendorId = 0;  // set before the watch starts, read-only after
    uint16_t productId = 0;
    std::set<std::string> known;  // paths of matching devices, for removals we can no longer ask

    // Asks the bus without the lock held: the bus may be calling in with its own lock taken.
    bool matches(hid::BusEvent event, const std::string& path) {
        if (vendorId == 0 && productId == 0) {
            return true;
        }
        bool present = false;
        if (event == hid::BusEvent::Arrival) {
            for (const auto& info : hid::backend().enumerate(vendorId, productId)) {
                present = present || info.path == path;
            }
        }
        std::lock_guard lock(mutex);
        if (event == hid::BusEvent::Removal) {
            return known.erase(path) > 0;
        }
        if (present) {
            known.insert(path);
        }
        return present;
    }
};

DeviceWatcher::DeviceWatcher() = default;

DeviceWatcher::~DeviceWatcher() {
    stop();
}

bool DeviceWatcher::start(Handler handler, uint16_t vendorId, uint16_t productId) {
    stop();
    shared_ = std::make_shared<Shared>();
    shared_->handler = std::move(handler);
    shared_->vendorId = vendorId;
    shared_->productId = productId;
    for (const auto& info : hid::backend().enumerate(vendorId, productId)) {
        shared_->known.insert(info.path);
    }
    // The backend may call from its own thread at any time, also while this object goes away.
    watch_ = hid::backend().watch([shared = shared_](hid::BusEvent event, const std::string& path) {
        if (!shared->matches(event, path)) {
            return;
        }
        std::lock_guard lock(shared->mutex);
        if (shared->handler) {
            shared->handler(event, path);
        }
    });
    if (!watch_) {
        shared_.reset();
    }
    return watch_ != nullptr;
}

void DeviceWatcher::stop() {
    watch_.reset();
    if (shared_) {
        std::lock_guard lock(shared_->mutex);
        shared_->handler = nullptr;
    }
    shared_.reset();
}

}  // namespace lumora_usb_encoder
