#pragma once

#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "sim/virtual_bus.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

// The firmware image the simulated keypad takes: version 7.3.
inline const std::string kSample = QUILLON_SAMPLE_FIRMWARE;

// A keypad whose settings all differ from what new firmware starts with.
inline sim::SimulationSpec keypadWithItsOwnSettings() {
    sim::SimulationSpec spec;
    spec.variant.keys = 6;
    spec.variant.serialNumber = "QK0000054321";
    spec.factory.ledBrightness = 7;
    spec.factory.buzzer = 0;
    spec.factory.buzzerPeriod = 4;
    spec.factory.keypadType = 2;
    spec.factory.options = 0x05;
    spec.factory.customTable[1] = 0x1E;
    return spec;
}

// A simulated keypad with its loader, reached through the process backend.
struct LoaderWorld {
    sim::Simulation simulation;
    std::shared_ptr<sim::SimLoader> loader;

    explicit LoaderWorld(const sim::SimulationSpec& spec = {})
        : simulation(sim::makeSimulation(spec)), loader(sim::connectLoader(simulation)) {
        hid::setBackend(std::make_shared<sim::SimBackend>(simulation.bus));
    }
    ~LoaderWorld() { hid::setBackend(nullptr); }

    // The keypad leaves for its loader, as the upgrade mode command makes it do.
    void enterLoader() {
        {
            std::lock_guard lock(simulation.bus->mutex());
            simulation.bus->detach(simulation.keypad.get());
            loader->enterFromKeypad(GetTickCount());
        }
        waitForRestart();
    }
    // Long enough for the part to leave after its last report and come back.
    void waitForRestart() {
        Sleep(loader->timing.restartMs + 50);
        simulation.bus->poll();
    }
    bool keypadPresent() { return simulation.bus->present(simulation.keypad.get()); }
    bool loaderPresent() { return simulation.bus->present(loader.get()); }
};

}  // namespace lumora_usb_encoder
