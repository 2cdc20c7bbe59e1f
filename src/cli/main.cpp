#include <cstdlib>
#include <iostream>
#include <vector>

#include "app/app_options.h"
#include "app/command_line.h"
#include "cli/cli_context.h"
#include "cli/command_context.h"
#include "support/platform_process.h"

namespace lumora_usb_encoder::cli {

namespace {

constexpr const char* kUsage =
    "quillonctl [--simulate[=SPEC] | --hid-socket PATH] [--settings FILE] [--trace] [--json] "
    "[--yes] COMMAND";

std::vector<Registrar>& registrars() {
    static std::vector<Registrar> list;
    return list;
}
}  // namespace

CommandRegistration::CommandRegistration(Registrar registrar) {
    registrars().push_back(std::move(registrar));
}

CLI::App* commandGroup(CLI::App& app, const std::string& name, const std::string& description) {
    auto found = app.get_subcommands([&](CLI::App* sub) { return sub->get_name() == name; });
    if (!found.empty()) {
        return found.front();
    }
    auto* group = app.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

int runCommandLine(int argc, char** argv) {
    CLI::App app{"Configures Quillon keypads from a terminal."};
    app.name("quillonctl");
    app.allow_windows_style_options(false);  // "/x" is a file name there too, never an option
    app.require_subcommand(1);
    addVersionFlag(app, "quillonctl");
    GlobalOptions options;
    addDeviceOptions(app, options.device);
    app.add_flag("--json", options.json, "print one JSON object on stdout");
    app.add_flag("--yes", options.yes, "answer Yes to every question");
    app.fallthrough();

    CommandContext ctx(options, std::cout, std::cerr);
    for (const auto& registrar : registrars()) {
        registrar(app, ctx);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return endCommandLine(app, error, kUsage, std::cout, std::cerr);
    }
    return ctx.exitCode();
}

}  // namespace lumora_usb_encoder::cli

int main(int argc, char** argv) {
    lumora_usb_encoder::ProgramArguments words(argc, argv);
    lumora_usb_encoder::useUtf8Console();
    return lumora_usb_encoder::cli::runCommandLine(words.argc(), words.argv());
}
