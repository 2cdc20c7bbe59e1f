// A whole upgrade with restore, on USB frame timing with 30 ms erases, run twice in one go: on
// the virtual clock, where only what the sequence and the keypad model cost counts (the waits
// the sequence mandates, one report per frame, the erases at their modelled time), and on the
// wall clock. Their ratio is what the host itself adds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "device/device_connection.h"
#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"
#include "upgrade/upgrade_flow.h"

using namespace lumora_usb_encoder;

namespace {

const std::string kImage = std::string(QUILLON_SOURCE_DIR) + "/samples/firmware/sim-keypad-7.3.txt";

class YesUi final : public UserInterface {
    void warn(const std::string& title, const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    }
    bool ask(const std::string&, const std::string&) override { return true; }
};

// Milliseconds of the clock in use for one upgrade; negative when it did not finish.
double upgradeOnce() {
    std::string error;
    auto simulation = sim::makeSimulation("usb=frames", error);
    auto loader = sim::connectLoader(*simulation);
    loader->timing.eraseMs = 30;
    hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
    YesUi ui;
    (void)rescanKeypad(ui);
    auto wall = std::chrono::steady_clock::now();
    uint32_t ticks = GetTickCount();
    UpgradeOutcome outcome =
        runFirmwareUpgrade({kImage, "", ""}, ui, [](int, const std::string&) {});
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - wall;
    double elapsed = dynamic_cast<VirtualClock*>(&lumora_usb_encoder::clock()) != nullptr
                         ? double(GetTickCount() - ticks)
                         : took.count();
    closeKeypad();
    hid::setBackend(nullptr);
    return outcome == UpgradeOutcome::Done ? elapsed : -1;
}

void wholeUpgrade(benchmark::State& state) {
    double floorMs = 0;
    double wallMs = 0;
    for ([[maybe_unused]] auto _ : state) {
        auto previous = setClock(std::make_shared<VirtualClock>());
        floorMs = upgradeOnce();
        setClock(std::make_shared<SystemClock>());
        wallMs = upgradeOnce();
        setClock(previous);
        if (floorMs <= 0 || wallMs <= 0) {
            state.SkipWithError("upgrade failed");
            return;
        }
    }
    state.counters["floor_ms"] = floorMs;
    state.counters["wall_ms"] = wallMs;
    state.counters["x_floor"] = wallMs / floorMs;
}

}  // namespace

BENCHMARK(wholeUpgrade)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
