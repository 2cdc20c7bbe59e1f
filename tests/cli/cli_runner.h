#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "common/temp_folder.h"

namespace lumora_usb_encoder::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` (shell words) after `environment` (assignments or an env
// command), and collects its exit status and output.
inline CliRun runProgram(const std::string& program, const std::string& arguments,
                         const std::string& environment = "") {
    static int counter = 0;
    std::string base = ::testing::TempDir() + "/program-" + std::to_string(getpid()) + "-" +
                       std::to_string(++counter);
    std::string command = environment + " " + program + " " + arguments + " >" + base + ".out 2>" +
                          base + ".err </dev/null";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileBytes(base + ".out"),
            fileBytes(base + ".err")};
}

inline CliRun runQuillonctl(const std::string& arguments, const std::string& environment = "") {
    return runProgram(QUILLONCTL_PATH, arguments, environment);
}

}  // namespace lumora_usb_encoder::testing
