#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../cli/cli_runner.h"

namespace lumora_usb_encoder {
namespace {

using testing::runQuillonctl;

const std::string kSample =
    std::string(QUILLON_TEST_DATA) + "/../../samples/firmware/sim-keypad-7.3.txt";

std::string settingsIn(const std::string& name) {
    auto folder = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(folder);
    return (folder / "USBUtilityCfg.ini").string();
}

// Runs on the system clock: the loader start and the restore waits cost about ten seconds.
TEST(QuillonctlFirmware, UpgradesTheSimulatedKeypadAndRestoresItsSettings) {
    std::string settings = settingsIn("cli_upgrade");
    auto run = runQuillonctl("--simulate=brightness=8 --settings " + settings +
                             " firmware upgrade " + kSample + " --yes");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Starting\nPassword Sent Successfully\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Memory successfully verified\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Done!\n"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(settings).parent_path() /
                                         "UpgradeBackup.ini"));
}

TEST(QuillonctlFirmware, RefusesWhatItCannotDoWithTheDocumentedExitStatus) {
    std::string settings = settingsIn("cli_refusals");
    std::filesystem::create_directories(std::filesystem::path(settings).parent_path());
    std::string bad = (std::filesystem::path(settings).parent_path() / "bad.txt").string();
    std::ofstream(bad) << "@4400\n01 02\nq\n";
    std::tuple<std::string, int, std::string> cases[] = {
        {"firmware upgrade " + bad + " --yes", 2, "no reset vector"},
        {"firmware upgrade /nonexistent.txt --yes", 2, "cannot read"},
        {"firmware upgrade " + kSample, 4, "not started"},  // no --yes, no terminal: No
        {"firmware restore-settings", 2, "cannot read"},
        {"firmware", 2, ""},
    };
    for (const auto& [arguments, exitCode, says] : cases) {
        auto run = runQuillonctl("--simulate --settings " + settings + " " + arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << arguments << "\n" << run.err;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
