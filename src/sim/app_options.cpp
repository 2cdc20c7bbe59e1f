#include "sim/app_options.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "device/hidapi_backend.h"
#include "device/socket_backend.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder {

void addDeviceOptions(CLI::App& app, AppOptions& options) {
    if (const char* socket = std::getenv("QUILLON_HID_SOCKET")) {
        options.hidSocket = socket;
    }
    auto* simulate = app.add_option("--simulate", options.simulate,
                                    "use a simulated keypad; SPEC such as keys=16,type=8")
                         ->expected(0, 1)
                         ->default_str("");
    app.add_option("--hid-socket", options.hidSocket, "reach the devices through a socket server")
        ->excludes(simulate);
    app.add_option("--settings", options.settingsFile, "settings file to use");
    app.add_flag("--trace", options.trace, "print every report written and read on stderr");
}

ParsedOptions parseAppOptions(int argc, char** argv) {
    CLI::App app{"Configures Quillon keypads."};
    AppOptions options;
    addDeviceOptions(app, options);
    app.add_flag("--no-splash", options.noSplash, "start without the splash window");
    ParsedOptions parsed;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        std::ostringstream out;
        std::ostringstream err;
        // Help asked for is a success; every other complaint is bad usage, as for quillonctl.
        parsed.exitCode = app.exit(error, out, err) == 0 ? 0 : 2;
        parsed.text = out.str() + err.str();
        return parsed;
    }
    if (options.simulate) {
        options.hidSocket.clear();  // the environment's server gives way to an explicit choice
    }
    parsed.options = options;
    return parsed;
}

namespace {

std::shared_ptr<hid::Backend> makeSimulated(const std::string& text, std::string& error) {
    auto simulation = sim::makeSimulation(text, error);
    if (!simulation) {
        return nullptr;
    }
    // The backend holds the bus, and the bus holds the keypad on it.
    return std::make_shared<sim::SimBackend>(simulation->bus);
}

}  // namespace

std::shared_ptr<hid::Backend> makeChosenBackend(
    const AppOptions& options, std::string& error,
    std::function<void(const std::string&)> diagnostics) {
    std::shared_ptr<hid::Backend> chosen;
    if (options.simulate) {
        chosen = makeSimulated(*options.simulate, error);
    } else if (!options.hidSocket.empty()) {
        hid::SocketOptions socketOptions;
        socketOptions.diagnostics = std::move(diagnostics);
        chosen = hid::makeSocketBackend(options.hidSocket, error, socketOptions);
    } else {
        chosen = std::make_shared<hid::HidapiBackend>();
    }
    if (options.trace && chosen) {
        chosen = std::make_shared<hid::TracingBackend>(chosen, [](const std::string& line) {
            std::cerr << line << '\n' << std::flush;
        });
    }
    return chosen;
}

}  // namespace lumora_usb_encoder
