// What every program does with --version, --help and a mistake, run as the user runs it: with no
// display, so that a window toolkit started before the options are read shows as a failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "../cli/cli_runner.h"
#include "app/app_options.h"
#include "app/toolkit_arguments.h"
#include "common/scoped_env.h"
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

// `given` as main() hands it over, after the program's name.
struct CommandLine {
    std::vector<std::string> words = {"quillon-config"};
    std::vector<char*> argv;
    explicit CommandLine(const std::vector<std::string>& given) {
        words.insert(words.end(), given.begin(), given.end());
        for (auto& word : words) {
            argv.push_back(word.data());
        }
    }
    int argc() const { return static_cast<int>(argv.size()); }
};

// The program's name as it calls itself: without a folder, and without .exe on Windows.
std::string nameOf(const std::string& path) {
    return std::filesystem::path(path).stem().string();
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
    struct Row {
        const char* name;
        Words given;
        Words own;
        Words toolkit;
    };
    const Row rows[] = {
        {"PlatformAndItsValue",
         {"--simulate", "-platform", "offscreen", "--no-splash"},
         {"--simulate", "--no-splash"},
         {"-platform", "offscreen"}},
        {"StyleAndAFlag",
         {"--style=fusion", "-reverse", "--settings", "f.ini"},
         {"--settings", "f.ini"},
         {"--style=fusion", "-reverse"}},
        {"ValueMissing", {"--platformx", "-platform"}, {"--platformx"}, {"-platform"}},
        {"AfterTheEndOfOptions", {"--", "-style", "x"}, {"--", "-style", "x"}, {}},
        {"FlagTakesNoValue", {"-reverse=1", "--trace"}, {"-reverse=1", "--trace"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandLine line(row.given);
        Words setAside;
        EXPECT_EQ(splitToolkitArguments(line.argc(), line.argv.data(), setAside), row.own);
        EXPECT_EQ(setAside, row.toolkit);
    }
}

TEST(ProgramOptions, TheWindowsProgramTakesASimulationOrASocketAndNoSplash) {
    struct Row {
        const char* name;
        std::vector<std::string> given;
        bool parsed;
        const char* simulate;  // the simulation asked for ("-": none)
        bool noSplash;
    };
    const Row rows[] = {
        {"Nothing", {}, true, "-", false},
        {"PlainSimulation", {"--simulate"}, true, "", false},
        {"SimulationAndNoSplash",
         {"--simulate=keys=16,type=8", "--no-splash"},
         true,
         "keys=16,type=8",
         true},
        {"SimulationOrSocketNotBoth", {"--simulate", "--hid-socket", "/tmp/s"}, false, "-", false},
        {"UnknownOption", {"--bogus"}, false, "-", false},
    };
    testing::setEnv("QUILLON_HID_SOCKET", nullptr);
    for (const auto& [name, given, parsed, simulate, noSplash] : rows) {
        SCOPED_TRACE(name);
        CommandLine line(given);
        ParsedOptions result = parseAppOptions(line.argc(), line.argv.data());
        ASSERT_EQ(result.options.has_value(), parsed);
        if (parsed) {
            EXPECT_EQ(result.options->simulate.value_or("-"), simulate);
            EXPECT_EQ(result.options->noSplash, noSplash);
        } else {
            EXPECT_EQ(result.exitCode, 2);
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
