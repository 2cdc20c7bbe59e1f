#pragma once

#include <iosfwd>
#include <string>

#include <CLI/CLI.hpp>

namespace lumora_usb_encoder {

// The three programs end their command lines alike: --help and --version print on stdout and
// exit 0; anything the parser refuses is one line naming the fault, the usage line and a pointer
// to --help on stderr, and exit 2.

// Adds --version, which prints "PROGRAM VERSION".
void addVersionFlag(CLI::App& app, const std::string& program);

// The exit status for `error`, after printing as above. `usage` is the synopsis without
// "Usage: ", such as "quillonctl [OPTIONS] COMMAND".
int endCommandLine(const CLI::App& app, const CLI::ParseError& error, const std::string& usage,
                   std::ostream& out, std::ostream& err);

}  // namespace lumora_usb_encoder
