#include "app/command_line.h"

#include <ostream>

#include "support/build_info.h"

namespace lumora_usb_encoder {

namespace {
constexpr int kBadUsage = 2;
}  // namespace

void addVersionFlag(CLI::App& app, const std::string& program) {
    app.set_version_flag("--version", program + " " + programVersion(),
                         "print the program's version and exit");
}

int endCommandLine(const CLI::App& app, const CLI::ParseError& error, const std::string& usage,
                   std::ostream& out, std::ostream& err) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
        return app.exit(error, out, err);  // the help or the version, on stdout
    }
    std::string program = usage.substr(0, usage.find(' '));
    err << program << ": " << error.what() << '\n'
        << "Usage: " << usage << '\n'
        << "Run '" << program << " --help' for the options.\n";
    return kBadUsage;
}

}  // namespace lumora_usb_encoder
