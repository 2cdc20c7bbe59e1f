// The simulated loader serves reports from any socket client: feed it any sequence of 64-byte
// reports, from the loader in protected flash and from the RAM loader.
#include <cstdint>
#include <memory>

#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

namespace {

constexpr uint32_t kRestartMs = 10;
constexpr int kRepliesRead = 2;

// One part, made once: a loader holds the whole memory of the part, and making it afresh for
// every input cost more than the input itself. Each input starts from the same state again.
struct Part {
    sim::SimulationSpec spec;
    sim::Simulation simulation = sim::makeSimulation(spec);
    std::shared_ptr<sim::SimLoader> loader = sim::connectLoader(simulation);
    std::vector<uint8_t> factoryMemory = loader->memory();

    // As the upgrade mode command leaves it: the loader in protected flash, freshly started,
    // over the factory image, and the keypad as it left the factory.
    void restart() {
        auto& bus = *simulation.bus;
        Sleep(1000);  // whatever the last input set going (a restart, a departure) is over
        bus.poll();
        bus.detach(loader.get());
        bus.detach(simulation.keypad.get());
        loader->memory() = factoryMemory;
        loader->loadFactoryImage(spec.variant.firmwareVersion);
        loader->faults = {};
        loader->timing.restartMs = kRestartMs;
        simulation.keypad->variant() = spec.variant;
        simulation.keypad->defaults() = spec.factory;
        simulation.keypad->current() = spec.factory;
        {
            std::lock_guard lock(bus.mutex());
            loader->enterFromKeypad(GetTickCount());
        }
        Sleep(kRestartMs);
        bus.poll();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Part* part = [] {
        // Restarts and reply delays are waits on this clock; it moves only when the target sleeps.
        setClock(std::make_shared<SteppingClock>());
        return new Part;
    }();
    part->restart();
    sim::SimBackend backend(part->simulation.bus);
    std::unique_ptr<hid::Device> device;
    uint8_t reply[64];
    for (size_t offset = 0; offset < size; offset += 64) {
        if (!device || device->write(data + offset, std::min<size_t>(64, size - offset)) < 0) {
            // The loader restarted (or the keypad came back): open whatever loader is there.
            auto found = backend.enumerate(0x2047, 0x0200);
            device = found.empty() ? nullptr : backend.openPath(found[0].path);
            if (!device) {
                Sleep(20);
                part->simulation.bus->poll();
                continue;
            }
            device->write(data + offset, std::min<size_t>(64, size - offset));
        }
        // The reply a host waits for. The rest of a long TX Data Block stays queued until the
        // next restart drops it: reading a thousand reports one by one would cost more than all
        // the commands of an input, and tells nothing about how the loader reads them.
        for (int i = 0; i < kRepliesRead && device->read(reply, sizeof reply) > 0; ++i) {
        }
        Sleep(20);  // lets a restart happen, so later reports may meet the RAM loader
        part->simulation.bus->poll();
    }
    return 0;
}
