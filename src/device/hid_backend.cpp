#include "device/hid_backend.h"

#include <mutex>

namespace lumora_usb_encoder::hid {

namespace {

// Until a program chooses, nothing is reachable: a test that forgets to install its simulated
// bus then sees an empty bus instead of the machine's real keypads.
class NoBackend final : public Backend {
  public:
    std::vector<DeviceInfo> enumerate(uint16_t, uint16_t) override { return {}; }
    std::unique_ptr<Device> openPath(const std::string&) override { return nullptr; }
    void shutdown() override {}
    std::unique_ptr<Watch> watch(BusEventHandler) override { return nullptr; }
};

std::mutex backendMutex;
std::shared_ptr<Backend>& current() {
    static std::shared_ptr<Backend> instance = std::make_shared<NoBackend>();
    return instance;
}

}  // namespace

Backend& backend() {
    std::lock_guard lock(backendMutex);
    return *current();
}

std::shared_ptr<Backend> setBackend(std::shared_ptr<Backend> replacement) {
    std::lock_guard lock(backendMutex);
    auto previous = current();
    current() = replacement ? std::move(replacement) : std::make_shared<NoBackend>();
    return previous;
}

}  // namespace lumora_usb_encoder::hid
