#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/printing.h"
#include "common/recording_ui.h"
#include "common/sent_commands.h"
#include "common/temp_folder.h"
#include "device/device_connection.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// The firmware image the simulated keypad takes: version 7.3.
inline const std::string kSampleFirmware = QUILLON_SAMPLE_FIRMWARE;

// The simulation spec of `text`; a spec the test got wrong ends the test.
inline sim::SimulationSpec specOf(const std::string& text) {
    sim::SimulationSpec spec;
    std::string error;
    if (!sim::parseSimulationSpec(text, spec, error)) {
        throw std::invalid_argument(error);
    }
    return spec;
}

// The command a report carries when it is one written to the keypad.
inline std::optional<SentCommand> decodeWritten(const hid::TracedReport& report) {
    if (report.direction != hid::TracedReport::Direction::Written) {
        return std::nullopt;
    }
    return decodeWritten(report.bytes);
}

struct WorldOptions {
    bool loader = false;      // the keypad's bootstrap loader is wired up behind it
    bool openKeypad = false;  // opened (rescanned) as the main window does at start
    // The clock every wait goes through; a fresh virtual clock unless the test brings its own.
    std::shared_ptr<Clock> clock = nullptr;
    // Wraps the traced backend before it is installed (a test's own counting or faults).
    std::function<std::shared_ptr<hid::Backend>(std::shared_ptr<hid::Backend>)> wrap = nullptr;
};

// Every test's world: a simulated keypad (and, if asked, its loader) on a virtual bus reached
// through the process's backend, a virtual clock, a recording user interface, a scratch folder
// for files, and every command written to the keypad, decoded as it goes out.
class World {
  public:
    explicit World(const std::string& spec = "keys=8", WorldOptions options = {})
        : World(specOf(spec), std::move(options)) {}
    explicit World(const sim::SimulationSpec& spec, WorldOptions options = {})
        : simulation(sim::makeSimulation(spec)) {
        setClock(options.clock ? options.clock : std::make_shared<VirtualClock>());
        if (options.loader) {
            loader = sim::connectLoader(simulation);
        }
        backend_ = std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(simulation.bus),
            [this](const hid::TracedReport& report) { heard(report); });
        hid::setBackend(options.wrap ? options.wrap(backend_) : backend_);
        if (options.openKeypad && !rescanKeypad(ui)) {
            throw std::runtime_error("the simulated keypad did not open");
        }
    }
    ~World() {
        closeKeypad();
        hid::setBackend(nullptr);
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Every command written so far, in order; a test may ask while a worker still writes.
    std::vector<SentCommand> sent() const {
        std::lock_guard lock(sentMutex_);
        return sent_;
    }
    // The commands that change something: status reads left out.
    std::vector<SentCommand> changesSent() const { return withoutStatusReads(sent()); }
    // The payload of every command of one kind, in order.
    std::vector<std::vector<uint8_t>> payloadsOf(Command command) const {
        std::vector<std::vector<uint8_t>> payloads;
        for (const auto& one : sent()) {
            if (one.command == command) {
                payloads.push_back(one.payload);
            }
        }
        return payloads;
    }
    void forgetSent() {
        std::lock_guard lock(sentMutex_);
        sent_.clear();
    }
    // Called with every report, before a written one reaches the keypad and after a read one
    // left it: where a test puts a fault on the Nth command. Set it before any worker starts.
    std::function<void(const hid::TracedReport&)> onReport;

    sim::SimKeypad& keypad() { return *simulation.keypad; }
    sim::VirtualBus& bus() { return *simulation.bus; }
    // The traced bus, as the process reaches it: what a server serves when a test puts the
    // world's keypad behind a socket.
    std::shared_ptr<hid::Backend> backend() const { return backend_; }
    std::string settingsFile() const { return folder.file("VorlaInterface/USBUtilityCfg.ini"); }

    bool keypadPresent() { return simulation.bus->present(simulation.keypad.get()); }
    bool loaderPresent() { return loader && simulation.bus->present(loader.get()); }
    // The keypad leaves for its loader, as the upgrade mode command makes it do.
    void enterLoader() {
        {
            std::lock_guard lock(simulation.bus->mutex());
            simulation.bus->detach(simulation.keypad.get());
            loader->enterFromKeypad(GetTickCount());
        }
        waitForRestart();
    }
    // Long enough for a part to leave after its last report and come back.
    void waitForRestart() {
        Sleep(loader ? loader->timing.restartMs + 50 : kRestartWaitMs + 2000);
        simulation.bus->poll();
    }

    sim::Simulation simulation;
    std::shared_ptr<sim::SimLoader> loader;
    RecordingUi ui;
    TempFolder folder;

  private:
    void heard(const hid::TracedReport& report) {
        if (onReport) {
            onReport(report);
        }
        if (report.direction != hid::TracedReport::Direction::Written) {
            return;
        }
        if (auto command = decodeWritten(report.bytes)) {
            std::lock_guard lock(sentMutex_);
            sent_.push_back(*command);
        }
    }

    std::shared_ptr<hid::Backend> backend_;
    mutable std::mutex sentMutex_;
    std::vector<SentCommand> sent_;
};

}  // namespace lumora_usb_encoder::testing
