#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace lumora_usb_encoder::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs quillonctl with `arguments` (shell words) and collects its exit status and output.
inline CliRun runQuillonctl(const std::string& arguments, const std::string& environment = "") {
    static int counter = 0;
    std::string base = ::testing::TempDir() + "/quillonctl-" + std::to_string(getpid()) + "-" +
                       std::to_string(++counter);
    std::string command = environment + " " QUILLONCTL_PATH " " + arguments + " >" + base +
                          ".out 2>" + base + ".err </dev/null";
    int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(base + ".out");
    run.err = slurp(base + ".err");
    return run;
}

}  // namespace lumora_usb_encoder::testing
