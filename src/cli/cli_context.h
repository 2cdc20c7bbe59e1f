#pragma once

// How a quillonctl command file plugs in.
//
// Each command file defines one static CommandRegistration whose function adds its subcommands
// to the CLI11 app. A subcommand's callback calls ctx.run(...) with the work to do; the work
// returns an exit status (ExitCode) and may throw UsageError for bad input (exit 2, printed on
// stderr). ctx.run opens nothing by itself: commands that talk to a keypad call
// ctx.openKeypad(), which installs the backend the global options chose (hidapi, --simulate,
// --hid-socket) and runs the rescan sequence; it returns false, after the "not connected" message,
// when no keypad is there (then return ExitCode::NoKeypad).
//
// Output: results to ctx.out() (stdout), messages through ctx.ui() (stderr), trace lines to
// stderr. With --json a command prints exactly one JSON object on stdout (nlohmann::json).
// Global options may stand before or after the command.

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/app_options.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder::cli {

enum ExitCode : int {
    Done = 0,
    KeypadFailed = 1,
    BadUsage = 2,
    NoKeypad = 3,
    UpgradeFailed = 4,
};

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct GlobalOptions {
    AppOptions device;  // --simulate, --hid-socket, --settings, --trace: as the window takes them
    bool json = false;
    bool yes = false;
};

class Context {
  public:
    virtual ~Context() = default;
    virtual const GlobalOptions& options() const = 0;
    virtual UserInterface& ui() = 0;
    virtual std::ostream& out() = 0;
    virtual std::ostream& err() = 0;
    // Installs the chosen backend once; true when a keypad is open afterwards.
    virtual bool openKeypad() = 0;
    // Installs the chosen backend without opening anything (device listings, the loader).
    // False when the device server it names cannot be reached (said on stderr).
    virtual bool selectBackend() = 0;
    // The settings file: --settings, else the user's data folder.
    virtual std::string settingsFile() = 0;
    // The settings file, made on first use exactly as the window makes it; when it cannot be
    // made, a UsageError if `required`. What is made is taken away again if the command fails.
    virtual std::string preparedSettingsFile(bool required = true) = 0;
    // Runs a command's work and records its exit status.
    virtual void run(const std::function<int()>& work) = 0;
};

using Registrar = std::function<void(CLI::App& app, Context& ctx)>;

// A command whose subcommands come from several command files ("table show", "table set"):
// whichever file registers first makes it.
CLI::App* commandGroup(CLI::App& app, const std::string& name, const std::string& description);

struct CommandRegistration {
    explicit CommandRegistration(Registrar registrar);
};

}  // namespace lumora_usb_encoder::cli
