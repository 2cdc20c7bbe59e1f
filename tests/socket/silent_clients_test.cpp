#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "../cli/cli_runner.h"
#include "quillon_sim_process.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

using Clock = std::chrono::steady_clock;

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
    auto start = Clock::now();
    auto run = runQuillonctl("--hid-socket " + path + " status");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
