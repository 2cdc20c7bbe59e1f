// An upgrade that has no RAM loader to send must leave the keypad as it found it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../cli/cli_runner.h"
#include "quillon_sim_process.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

const std::string kSample =
    std::string(QUILLON_TEST_DATA) + "/../../samples/firmware/sim-keypad-7.3.txt";
// STX, the command digits "0C" (12), the length digits "00": the upgrade mode command.
const std::string kUpgradeModeOnTheWire = "02 30 43 30 30 03";

TEST(QuillonctlRamLoader, RefusedBeforeTheKeypadIsSentToItsLoader) {
    std::string socket = tempSocketPath();
    QuillonSimProcess server(socket);
    ASSERT_TRUE(server.ready());
    auto folder = std::filesystem::path(::testing::TempDir()) / "ram_loader_refusal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "empty");
    std::string wrong = (folder / "wrong.txt").string();
    std::ofstream(wrong) << "@2500\n00 06 05 33\nq\n";  // another version
    struct Case {
        std::string backend;
        std::string ramBsl;
        std::string named;  // the file the refusal names
    } cases[] = {
        {"--hid-socket " + socket, "",
         (folder / "empty/VorlaInterface/RAM_BSL.00.06.05.34.txt").string()},
        {"--simulate", " --ram-bsl /nonexistent/ram.txt", "/nonexistent/ram.txt"},
        {"--simulate", " --ram-bsl " + wrong, wrong},
    };
    for (const auto& c : cases) {
        auto run = runQuillonctl(c.backend + " --trace --yes --settings " +
                                     (folder / "USBUtilityCfg.ini").string() +
                                     " firmware upgrade " + kSample + c.ramBsl,
                                 "XDG_DATA_HOME=" + (folder / "empty").string());
        EXPECT_EQ(run.exitCode, 4) << c.backend << c.ramBsl << "\n" << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(kUpgradeModeOnTheWire), std::string::npos) << run.err;
    }
    auto devices = runQuillonctl("--hid-socket " + socket + " devices");
    EXPECT_NE(devices.out.find("2047:09bf"), std::string::npos) << devices.out;
    EXPECT_EQ(devices.out.find("2047:0200"), std::string::npos) << devices.out;
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
