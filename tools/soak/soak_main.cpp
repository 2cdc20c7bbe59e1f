#include <CLI/CLI.hpp>

#include "soak.h"

int main(int argc, char** argv) {
    lumora_usb_encoder::soak::Options options;
    CLI::App app{"Exchanges with the simulated keypad under random faults, on the virtual clock"};
    app.add_option("--exchanges", options.exchanges, "exchanges to run")->capture_default_str();
    app.add_option("--seed", options.seed, "seed of the fault choice")->capture_default_str();
    app.add_option("--fault-percent", options.faultPercent, "share of faulty rounds")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    app.add_option("--stuck-seconds", options.stuckSeconds,
                   "real seconds after which an exchange counts as stuck")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    lumora_usb_encoder::soak::Soak soak(options);
    return soak.run();
}
