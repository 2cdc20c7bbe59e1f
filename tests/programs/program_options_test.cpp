// What every program does with --version, --help and a mistake, run as the user runs it: with no
// display, so that a window toolkit started before the options are read shows as a failure.
#include <gtest/gtest.h>

#include "../cli/cli_runner.h"
#include "sim/toolkit_arguments.h"
#include "support/build_info.h"

namespace lumora_usb_encoder {
namespace {

testing::CliRun run(const std::string& program, const std::string& arguments) {
    return testing::runProgram(program, arguments,
                               "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
}

// Each program with a command line right but for one unknown option.
std::vector<std::pair<std::string, std::string>> programs() {
    std::vector<std::pair<std::string, std::string>> list = {
        {QUILLONCTL_PATH, "--no-such-option status"},
        {QUILLON_SIM_PATH, "--socket /nonexistent/s --no-such-option"}};
#ifdef QUILLON_CONFIG_PATH
    list.push_back({QUILLON_CONFIG_PATH, "--no-splash --no-such-option"});
#endif
    return list;
}

std::string nameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

TEST(ProgramOptions, VersionHelpAndMistakesAreAnsweredAlike) {
    for (const auto& [program, mistake] : programs()) {
        std::string name = nameOf(program);
        testing::CliRun version = run(program, "--version");
        EXPECT_EQ(version.exitCode, 0) << name << version.err;
        EXPECT_EQ(version.out, name + " " + programVersion() + "\n") << name;
        testing::CliRun help = run(program, "--help");
        EXPECT_EQ(help.exitCode, 0) << name << help.err;
        EXPECT_NE(help.out.find("--simulate"), std::string::npos) << name;
        EXPECT_NE(help.out.find("--version"), std::string::npos) << name;
        testing::CliRun bad = run(program, mistake);
        EXPECT_EQ(bad.exitCode, 2) << name;
        EXPECT_TRUE(bad.out.empty()) << name << bad.out;
        EXPECT_NE(bad.err.find("--no-such-option"), std::string::npos) << name << bad.err;
        EXPECT_NE(bad.err.find("Usage: " + name + " "), std::string::npos) << name << bad.err;
    }
}

// A value missing after -platform is left for the toolkit to report; a flag takes no value.
TEST(ProgramOptions, ToolkitOptionsAreSetAside) {
    using Words = std::vector<std::string>;
    const std::tuple<Words, Words, Words> cases[] = {
        {{"--simulate", "-platform", "offscreen", "--no-splash"},
         {"--simulate", "--no-splash"},
         {"-platform", "offscreen"}},
        {{"--style=fusion", "-reverse", "--settings", "f.ini"},
         {"--settings", "f.ini"},
         {"--style=fusion", "-reverse"}},
        {{"--platformx", "-platform"}, {"--platformx"}, {"-platform"}},
        {{"--", "-style", "x"}, {"--", "-style", "x"}, {}},
        {{"-reverse=1", "--trace"}, {"-reverse=1", "--trace"}, {}},
    };
    for (const auto& [given, own, toolkit] : cases) {
        Words words = {"quillon-config"};
        words.insert(words.end(), given.begin(), given.end());
        std::vector<char*> argv;
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        Words setAside;
        EXPECT_EQ(splitToolkitArguments(static_cast<int>(argv.size()), argv.data(), setAside), own)
            << given[0];
        EXPECT_EQ(setAside, toolkit) << given[0];
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
