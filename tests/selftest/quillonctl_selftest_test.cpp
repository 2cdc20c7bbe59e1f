#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <nlohmann/json.hpp>

#include "../cli/cli_runner.h"
#include "../socket/quillon_sim_process.h"
#include "../socket/temp_socket.h"
#include "common/sent_commands.h"

namespace lumora_usb_encoder::testing {
namespace {

TEST(QuillonctlSelfTest, KeysStageReportsThePressAndPutsTheTableBack) {
    auto run = runQuillonctl(
        "--simulate=press=3@500,type=2 --trace selftest --stages keys "
        "--keys-time 2");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("keys: key 3 (F17)"), std::string::npos) << run.out;
    auto sent = tracedCommands(run.err);
    auto table = std::find_if(sent.rbegin(), sent.rend(),
                              [](auto& s) { return s.command == Command::KeypadType; });
    ASSERT_TRUE(table != sent.rend());
    EXPECT_EQ(*table, (SentCommand{Command::KeypadType, {2}}))
        << "the last table type sent puts the table back";
}

std::string ask(const std::string& socket, const std::string& line) {
    std::string error;
    std::string answer;
    auto fd = hid::wire::connectUnix(socket, error);
    auto deadline = hid::wire::deadlineIn(std::chrono::seconds(5));
    hid::wire::LineReader reader;
    bool answered = fd.valid() && hid::wire::sendLine(fd.get(), line, deadline, error) &&
                    reader.next(fd.get(), answer, deadline) == hid::wire::LineReader::Status::Line;
    return answered ? answer : "no answer: " + error;
}

TEST(QuillonctlSelfTest, ServedKeypadIsTestedAndLeftAsItWas) {
    std::string path = tempSocketPath();
    QuillonSimProcess sim(path, "brightness=4,period=6");
    ASSERT_TRUE(sim.ready());
    std::string backend = "--hid-socket " + path + " --json ";
    auto before = runQuillonctl(backend + "status");
    auto devices = nlohmann::json::parse(runQuillonctl(backend + "devices").out);
    std::string keypad = devices["keypads"][0]["path"];
    auto selftest = std::async(std::launch::async, [&] {
        return runQuillonctl(backend + "selftest --stages led,keys --keys-time 3");
    });
    // Pressed until the run ends: presses before the keys stage listens are not counted.
    while (selftest.wait_for(std::chrono::milliseconds(300)) != std::future_status::ready) {
        EXPECT_EQ(ask(path, "PRESS " + keypad + " 2"), "OK");
    }
    auto run = selftest.get();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto result = nlohmann::json::parse(run.out);
    EXPECT_EQ(result["stages"], (nlohmann::json{{"led", "passed"}, {"keys", "passed"}}));
    ASSERT_FALSE(result["keysSeen"].empty());
    EXPECT_EQ(result["keysSeen"][0], (nlohmann::json{{"key", 2}, {"name", "F16"}}));
    EXPECT_EQ(runQuillonctl(backend + "status").out, before.out);
    EXPECT_EQ(ask(path, "PRESS " + keypad + " 11"), "ERR no key 11");
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
