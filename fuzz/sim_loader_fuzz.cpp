// The simulated loader serves reports from any socket client: feed it any sequence of 64-byte
// reports, from the loader in protected flash and from the RAM loader.
#include <cstdint>
#include <memory>

#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool once = [] {
        setClock(std::make_shared<VirtualClock>());
        return true;
    }();
    (void)once;
    auto simulation = sim::makeSimulation({});
    auto loader = sim::connectLoader(simulation);
    loader->timing.restartMs = 10;
    simulation.bus->detach(simulation.keypad.get());
    simulation.bus->attach(loader);
    sim::SimBackend backend(simulation.bus);
    std::unique_ptr<hid::Device> device;
    uint8_t reply[64];
    for (size_t offset = 0; offset < size; offset += 64) {
        if (!device || device->write(data + offset, std::min<size_t>(64, size - offset)) < 0) {
            // The loader restarted (or the keypad came back): open whatever loader is there.
            auto found = backend.enumerate(0x2047, 0x0200);
            device = found.empty() ? nullptr : backend.openPath(found[0].path);
            if (!device) {
                Sleep(20);
                simulation.bus->poll();
                continue;
            }
            device->write(data + offset, std::min<size_t>(64, size - offset));
        }
        while (device->read(reply, sizeof reply) > 0) {
        }
        Sleep(20);  // lets a restart happen, so later reports may meet the RAM loader
        simulation.bus->poll();
    }
    return 0;
}
