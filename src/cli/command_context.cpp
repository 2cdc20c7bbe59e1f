#include "cli/command_context.h"

#include <cstdlib>
#include <iostream>

#include "device/device_connection.h"
#include "device/hidapi_backend.h"
#include "device/socket_backend.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::cli {

namespace {

// A server that cannot be reached is told once on stderr; the commands then find no keypad, as
// they would on an empty bus.
std::shared_ptr<hid::Backend> makeSocketBackendFor(const std::string& path, std::ostream& err) {
    hid::SocketOptions options;
    options.diagnostics = [&err](const std::string& message) {
        err << "quillonctl: " << message << '\n' << std::flush;
    };
    std::string error;
    auto backend = hid::makeSocketBackend(path, error, options);
    if (!backend) {
        err << "quillonctl: " << error << '\n';
    }
    return backend;
}

std::string defaultSettingsFile() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != 0) {
        base = data;
    } else if (const char* home = std::getenv("HOME")) {
        base = std::string(home) + "/.local/share";
    }
    return base + "/VorlaInterface/USBUtilityCfg.ini";
}

}  // namespace

CommandContext::~CommandContext() {
    if (backendSelected_) {
        closeKeypad();
        hid::setBackend(nullptr);
    }
}

UserInterface& CommandContext::ui() {
    if (!ui_) {
        ui_ = std::make_unique<ConsoleUi>(err_, options_.yes);
    }
    return *ui_;
}

void CommandContext::selectBackend() {
    if (backendSelected_) {
        return;
    }
    std::shared_ptr<hid::Backend> chosen;
    if (options_.simulate) {
        sim::SimulationSpec spec;
        std::string error;
        if (!sim::parseSimulationSpec(*options_.simulate, spec, error)) {
            throw UsageError(error);
        }
        auto simulation = std::make_shared<sim::Simulation>(sim::makeSimulation(spec));
        chosen = std::make_shared<sim::SimBackend>(simulation->bus);
        simulation_ = simulation;
    } else if (!options_.hidSocket.empty()) {
        chosen = makeSocketBackendFor(options_.hidSocket, err_);
    } else {
        chosen = std::make_shared<hid::HidapiBackend>();
    }
    if (options_.trace && chosen) {
        chosen = std::make_shared<hid::TracingBackend>(chosen, [this](const std::string& line) {
            err_ << line << '\n' << std::flush;
        });
    }
    hid::setBackend(chosen);  // nullptr: an empty bus
    backendSelected_ = true;
}

bool CommandContext::openKeypad() {
    selectBackend();
    return rescanKeypad(ui());
}

std::string CommandContext::settingsFile() {
    if (!options_.settingsFile.empty()) {
        return options_.settingsFile;
    }
    return defaultSettingsFile();
}

void CommandContext::run(const std::function<int()>& work) {
    try {
        exitCode_ = work();
    } catch (const UsageError& error) {
        err_ << error.what() << '\n';
        exitCode_ = BadUsage;
    }
}

}  // namespace lumora_usb_encoder::cli
