#include "app/app_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "app/command_line.h"
#include "app/toolkit_arguments.h"
#include "device/system_backend.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"
#include "socket/socket_backend.h"

namespace lumora_usb_encoder {

namespace {
constexpr const char* kConfigUsage =
    "quillon-config [--simulate[=SPEC] | --hid-socket PATH] [--settings FILE] [--no-splash] "
    "[--trace]";
}  // namespace

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
    app.name("quillon-config");
    app.allow_windows_style_options(false);  // "/x" is a file name there too, never an option
    AppOptions options;
    addDeviceOptions(app, options);
    app.add_flag("--no-splash", options.noSplash, "start without the splash window");
    addVersionFlag(app, "quillon-config");
    ParsedOptions parsed;
    std::vector<std::string> own = splitToolkitArguments(argc, argv, parsed.toolkitArguments);
    std::reverse(own.begin(), own.end());  // the parser reads the list from its end
    try {
        app.parse(own);
    } catch (const CLI::ParseError& error) {
        std::ostringstream out;
        std::ostringstream err;
        parsed.exitCode = endCommandLine(app, error, kConfigUsage, out, err);
        parsed.out = out.str();
        parsed.err = err.str();
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
        chosen = hid::makeSystemBackend();
    }
    if (options.trace && chosen) {
        chosen = std::make_shared<hid::TracingBackend>(chosen, [](const hid::TracedReport& report) {
            std::cerr << hid::traceLine(report) << '\n' << std::flush;
        });
    }
    return chosen;
}

}  // namespace lumora_usb_encoder
