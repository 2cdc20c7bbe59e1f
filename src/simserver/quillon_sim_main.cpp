// quillon-sim: the simulated keypad on a Unix socket, so that any number of processes (the
// window, quillonctl calls one after another, scripts) share one virtual device and its state.
#include <CLI/CLI.hpp>
#include <iostream>
#include <mutex>
#include <string>

#include "app/command_line.h"
#include "sim/sim_keypad.h"
#include "simserver/sim_server.h"
#include "support/platform_process.h"

namespace lumora_usb_encoder::sim {

namespace {

struct Arguments {
    std::string socket;
    std::string simulate;
    bool verbose = false;
};

int serve(const Arguments& arguments) {
    SimulationSpec spec;
    std::string error;
    if (!parseSimulationSpec(arguments.simulate, spec, error)) {
        std::cerr << "quillon-sim: --simulate: " << error << '\n';
        return 2;
    }
    Simulation simulation = makeSimulation(spec);
    std::mutex logMutex;
    ServerOptions options;
    options.path = arguments.socket;
    options.backend = std::make_shared<SimBackend>(simulation.bus);
    options.tick = [bus = simulation.bus] { bus->poll(); };
    options.press = [bus = simulation.bus, keypad = simulation.keypad](const std::string& path,
                                                                       int key) -> std::string {
        if (bus->deviceAt(path) != keypad) {
            return "no keypad at " + path;
        }
        return keypad->typeKey(key) ? "" : "no key " + std::to_string(key);
    };
    if (arguments.verbose) {
        options.log = [&logMutex](const std::string& line) {
            std::lock_guard lock(logMutex);
            std::cerr << "quillon-sim: " << line << '\n';
        };
    }
    StopRequest stop;  // before the server's threads start
    SimServer server(options);
    if (!server.start(error)) {
        std::cerr << "quillon-sim: " << error << '\n';
        return 1;
    }
    std::cerr << "quillon-sim: serving on " << arguments.socket << '\n';
    stop.wait();
    server.stop();
    std::cerr << "quillon-sim: stopped\n";
    return 0;
}

}  // namespace

}  // namespace lumora_usb_encoder::sim

int main(int argc, char** argv) {
    lumora_usb_encoder::sim::Arguments arguments;
    CLI::App app{"Serves a simulated Quillon keypad on a Unix socket."};
    app.name("quillon-sim");
    app.allow_windows_style_options(false);  // "/x" is a file name there too, never an option
    lumora_usb_encoder::addVersionFlag(app, "quillon-sim");
    app.add_option("--socket", arguments.socket, "path of the Unix socket to serve on")->required();
    app.add_option("--simulate", arguments.simulate,
                   "the keypad to simulate; SPEC such as keys=16,type=8")
        ->expected(0, 1);
    app.add_flag("--verbose", arguments.verbose, "log every request on stderr");
    try {
        lumora_usb_encoder::ProgramArguments words(argc, argv);
        app.parse(words.argc(), words.argv());
    } catch (const CLI::ParseError& error) {
        return lumora_usb_encoder::endCommandLine(
            app, error, "quillon-sim --socket PATH [--simulate[=SPEC]] [--verbose]", std::cout,
            std::cerr);
    }
    lumora_usb_encoder::useUtf8Console();
    return lumora_usb_encoder::sim::serve(arguments);
}
