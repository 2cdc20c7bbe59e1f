#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../cli/cli_runner.h"
#include "quillon_sim_process.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

TEST(QuillonctlOverSocket, NoServerMeansNoKeypadAndSaysWhy) {
    std::string path = tempSocketPath();
    auto run = runQuillonctl("status", "QUILLON_HID_SOCKET=" + path);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
}

TEST(QuillonSim, StopsCleanlyOnEitherSignalAndRemovesItsSocket) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        std::string path = tempSocketPath();
        QuillonSimProcess sim(path);
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(sim.stop(signal), 0);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// Connections that never say a word, and watchers that only listen, fill the server no longer
// than its idle limit: a real client still gets its answer.
TEST(QuillonSim, SilentClientsAndWatchersCannotLockIt) {
    std::string path = tempSocketPath();
    QuillonSimProcess sim(path);
    ASSERT_TRUE(sim.ready());
    std::vector<hid::wire::FileDescriptor> held;
    for (int i = 0; i < 80; ++i) {
        std::string error;
        held.push_back(hid::wire::connectUnix(path, error));
        ASSERT_TRUE(held.back().valid()) << error;
        if (i % 10 == 0) {
            hid::wire::sendLine(held.back().get(), "WATCH", hid::wire::deadlineIn({}), error);
        }
    }
    auto start = std::chrono::steady_clock::now();
    auto run = runQuillonctl("--hid-socket " + path + " status");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Its log lines go nowhere once their reader has gone; it serves on and stops as asked.
TEST(QuillonSim, ServesOnWhenItsLogHasNoReader) {
    std::string path = tempSocketPath();
    QuillonSimProcess sim(path, "", QuillonSimProcess::Log::ToAClosedPipe);
    ASSERT_TRUE(sim.ready());
    auto run = runQuillonctl("--hid-socket " + path + " status");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.stop(SIGTERM), 0);
}

// STX, the command digits "0C" (12), the length digits "00": the upgrade mode command.
const std::string kUpgradeModeOnTheWire = "02 30 43 30 30 03";

// An upgrade that has no RAM loader to send must leave the keypad as it found it.
TEST(QuillonctlRamLoader, RefusedBeforeTheKeypadIsSentToItsLoader) {
    std::string socket = tempSocketPath();
    QuillonSimProcess server(socket);
    ASSERT_TRUE(server.ready());
    auto folder = std::filesystem::path(::testing::TempDir()) / "ram_loader_refusal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "empty");
    std::string wrong = (folder / "wrong.txt").string();
    std::ofstream(wrong) << "@2500\n00 06 05 33\nq\n";  // another version
    const std::string installed =
        (folder / "empty/VorlaInterface/RAM_BSL.00.06.05.34.txt").string();
    struct Row {
        const char* name;
        std::string backend;
        std::string ramBsl;
        std::string named;  // the file the refusal names
    };
    const Row rows[] = {
        {"NoneInstalledForTheServedKeypad", "--hid-socket " + socket, "", installed},
        {"NamedButMissing", "--simulate", " --ram-bsl /nonexistent/ram.txt",
         "/nonexistent/ram.txt"},
        {"NamedOfAnotherVersion", "--simulate", " --ram-bsl " + wrong, wrong},
    };
    const std::string upgrade = " --trace --yes --settings " +
                                (folder / "USBUtilityCfg.ini").string() +
                                " firmware upgrade " QUILLON_SAMPLE_FIRMWARE;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto run = runQuillonctl(row.backend + upgrade + row.ramBsl,
                                 "XDG_DATA_HOME=" + (folder / "empty").string());
        EXPECT_EQ(run.exitCode, 4) << run.err;
        EXPECT_NE(run.err.find(row.named), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(kUpgradeModeOnTheWire), std::string::npos) << run.err;
    }
    auto devices = runQuillonctl("--hid-socket " + socket + " devices");
    EXPECT_NE(devices.out.find("2047:09bf"), std::string::npos) << devices.out;
    EXPECT_EQ(devices.out.find("2047:0200"), std::string::npos) << devices.out;
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
