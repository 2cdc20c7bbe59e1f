#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "../cli/cli_runner.h"
#include "quillon_sim_process.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

nlohmann::json status(const std::string& backend) {
    auto run = runQuillonctl(backend + " --json status");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.exitCode == 0 ? nlohmann::json::parse(run.out) : nlohmann::json();
}

TEST(QuillonctlOverSocket, StatusIsTheSameRecordAsTheInProcessSimulator) {
    for (std::string spec : {"", "keys=16,type=8", "keys=5,brightness=2"}) {
        std::string path = tempSocketPath();
        QuillonSimProcess sim(path, spec);
        ASSERT_TRUE(sim.ready()) << spec;
        std::string simulate = spec.empty() ? "--simulate" : "--simulate=" + spec;
        EXPECT_EQ(status("--hid-socket " + path), status(simulate)) << spec;
    }
}

TEST(QuillonctlOverSocket, TheKeypadKeepsItsStateAcrossCalls) {
    std::string path = tempSocketPath();
    QuillonSimProcess sim(path);
    ASSERT_TRUE(sim.ready());
    int factoryBrightness = status("--hid-socket " + path)["ledBrightness"];
    ASSERT_NE(factoryBrightness, 7);

    auto set = runQuillonctl("set brightness 7", "QUILLON_HID_SOCKET=" + path);
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(status("--hid-socket " + path)["ledBrightness"], 7);

    auto reset = runQuillonctl("--hid-socket " + path + " --yes factory-reset");
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(status("--hid-socket " + path)["ledBrightness"], factoryBrightness);
}

TEST(QuillonctlOverSocket, NoServerMeansNoKeypadAndSaysWhy) {
    std::string path = tempSocketPath();
    auto run = runQuillonctl("--hid-socket " + path + " status");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
}

TEST(QuillonSim, StopsCleanlyOnEitherSignalAndRemovesItsSocket) {
    for (int signal : {SIGTERM, SIGINT}) {
        std::string path = tempSocketPath();
        QuillonSimProcess sim(path);
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(sim.stop(signal), 0) << signal;
        EXPECT_FALSE(std::filesystem::exists(path)) << signal;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
