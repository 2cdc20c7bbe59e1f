#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "device/hid_backend.h"

namespace lumora_usb_encoder {

// quillon-config's command line.
struct AppOptions {
    std::optional<std::string> simulate;  // the SPEC; "" for the default simulated keypad
    std::string hidSocket;                // --hid-socket, else QUILLON_HID_SOCKET
    std::string settingsFile;             // --settings; empty: the usual place
    bool noSplash = false;
    bool trace = false;
};

struct ParsedOptions {
    std::optional<AppOptions> options;  // nullopt: stop with `exitCode`
    int exitCode = 0;                   // 0 after --help or --version, 2 after a bad command line
    std::string out;                    // help or version text for stdout
    std::string err;                    // what was wrong, and the usage line, for stderr
    // The window toolkit's own options (-platform NAME, -style NAME, -reverse ...), in their
    // order, to be handed on when the toolkit starts.
    std::vector<std::string> toolkitArguments;
};

// Reads quillon-config's command line before any window toolkit starts, so that --help,
// --version and a bad option are answered on a machine without a display.
ParsedOptions parseAppOptions(int argc, char** argv);

// The options quillon-config and quillonctl share: --simulate, --hid-socket (default from
// QUILLON_HID_SOCKET), --settings and --trace.
void addDeviceOptions(CLI::App& app, AppOptions& options);

// The HID backend the options ask for, wrapped in the trace when asked. nullptr (an empty bus)
// and a reason in `error` when the choice cannot be made: a bad SPEC, an unreachable socket.
// `diagnostics` hears of a socket server's later failures.
std::shared_ptr<hid::Backend> makeChosenBackend(
    const AppOptions& options, std::string& error,
    std::function<void(const std::string&)> diagnostics = {});

}  // namespace lumora_usb_encoder
