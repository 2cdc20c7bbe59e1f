#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <sstream>
#include <string>

#include "common/temp_folder.h"

namespace lumora_usb_encoder::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

#ifdef _WIN32
// The shell's "env -u NAME NAME=value" words as the Windows command interpreter's: each variable
// set (or, empty, cleared) before the program starts.
inline std::string windowsEnvironment(const std::string& environment) {
    std::istringstream words(environment);
    std::string word;
    std::string commands;
    bool unset = false;
    while (words >> word) {
        if (word == "env") {
            continue;
        }
        if (word == "-u") {
            unset = true;
            continue;
        }
        commands += "set \"" + word + (unset ? "=" : "") + "\" & ";
        unset = false;
    }
    return commands;
}
#endif

// Runs `program` with `arguments` (shell words) after `environment` (assignments or an env
// command), and collects its exit status and output.
inline CliRun runProgram(const std::string& program, const std::string& arguments,
                         const std::string& environment = "") {
    static int counter = 0;
    // A folder per run of the test program, so that runs side by side never share a file.
    static TempFolder folder;
    std::string base = folder.file("program-" + std::to_string(++counter));
#ifdef _WIN32
    // The interpreter takes off the first and the last quote of a command line that starts
    // with one; the outer pair is there to be taken off.
    std::string command = "\"" + windowsEnvironment(environment) + "\"" + program + "\" " +
                          arguments + " >\"" + base + ".out\" 2>\"" + base + ".err\" <NUL\"";
    int status = std::system(command.c_str());
    int exitCode = status;
    // The programs' standard streams are in text mode there: each line ends in CR LF.
    auto lines = [](std::string text) {
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
            text.erase(at, 1);
        }
        return text;
    };
    return {exitCode, lines(fileBytes(base + ".out")), lines(fileBytes(base + ".err"))};
#else
    std::string command = environment + " " + program + " " + arguments + " >" + base + ".out 2>" +
                          base + ".err </dev/null";
    int status = std::system(command.c_str());
    int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {exitCode, fileBytes(base + ".out"), fileBytes(base + ".err")};
#endif
}

#ifdef QUILLONCTL_PATH
inline CliRun runQuillonctl(const std::string& arguments, const std::string& environment = "") {
    return runProgram(QUILLONCTL_PATH, arguments, environment);
}
#endif

}  // namespace lumora_usb_encoder::testing
