#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "common/sent_commands.h"

namespace lumora_usb_encoder {
namespace {

using testing::runQuillonctl;

std::optional<std::vector<uint8_t>> tableSent(const std::string& trace) {
    for (const auto& sent : testing::tracedCommands(trace)) {
        if (sent.command == Command::CodeTable) {
            return sent.payload;
        }
    }
    return std::nullopt;
}

TEST(QuillonctlTableSet, SendsTheEditorsPayloadForEachKeypadSize) {
    // The keypad, the assignments, the payload length, the key entries before the zero padding,
    // some bytes. No modifier means none.
    using Bytes = std::vector<std::pair<size_t, uint8_t>>;  // offset, value
    const std::tuple<const char*, const char*, size_t, size_t, Bytes> cases[] = {
        {"keys=16,type=8", "5=LeftAlt+0x04", 32, 32, {{8, 0xE2}, {9, 0x04}}},
        {"keys=12,type=5",
         "12=rightgui+ENTER 1=a",
         32,
         24,
         {{22, 0xE7}, {23, 0x28}, {0, 0}, {1, 4}}},
        {"keys=5,type=2", "10=LeftShift+F13", 20, 20, {{18, 0xE1}, {19, 0x68}}},
        {"keys=16,type=8", "3=0x1E", 32, 32, {{4, 0x00}, {5, 0x1E}}}};
    for (const auto& [keypad, words, length, entries, bytes] : cases) {
        // Options may follow the assignments.
        std::string arguments =
            std::string("table set ") + words + " --simulate=" + keypad + " --trace";
        auto run = runQuillonctl(arguments);
        ASSERT_EQ(run.exitCode, 0) << arguments << "\n" << run.err;
        auto payload = tableSent(run.err).value_or(std::vector<uint8_t>{});
        ASSERT_EQ(payload.size(), length) << arguments;
        for (auto [offset, value] : bytes) {
            EXPECT_EQ(payload.at(offset), value) << arguments << " offset " << offset;
        }
        for (size_t i = entries; i < payload.size(); ++i) {
            EXPECT_EQ(payload[i], 0) << arguments << " padding at " << i;
        }
    }
}

TEST(QuillonctlTableSet, KeysNotNamedKeepWhatTheKeypadHolds) {
    auto held = nlohmann::json::parse(runQuillonctl("--simulate=keys=5,type=2 --json status").out);
    auto run = runQuillonctl("--simulate=keys=5,type=2 --trace table set 2=z");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto payload = tableSent(run.err).value_or(std::vector<uint8_t>{});
    ASSERT_EQ(payload.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(payload[i], i == 2 ? 0x00 : i == 3 ? 0x1D : held["codeTable"][i].get<int>()) << i;
    }
}

TEST(QuillonctlTableSet, RefusesWithoutSendingATable) {
    const std::tuple<std::string, int, const char*> cases[] = {
        {"--simulate=keys=16,type=7 table set 1=a", 1, "Please select a customise table.."},
        {"--simulate=keys=16,type=8 table set 17=a", 2, "'17'"},
        {"--simulate=keys=16,type=8 table set 0=a", 2, "'0'"},
        {"--simulate=keys=12,type=5 table set 13=a", 2, "13"},
        {"--simulate=keys=8,type=2 table set 11=a", 2, "11"},
        {"--simulate=keys=8,type=2 table set 1=0x82", 2, "0x82"},
        {"--simulate=keys=16,type=8 table set 1=0x100", 2, "0x100"},
        {"--simulate=keys=16,type=8 table set 1=Undefine", 2, "Undefine"},
        {"--simulate=keys=16,type=8 table set 1=Hyper+a", 2, "Hyper"},
        {"--simulate=keys=16,type=8 table set 1=a 2", 2, "'2'"},
        {"--simulate=keys=16,type=8 table set", 2, "assignments"},
        {"--simulate=keys=16,type=8,fault=refuse table set 1=a", 1,
         "Load Table-Unable to get device status.."},
        {"--simulate=absent=1 table set 1=a", 3, "not connected"},
    };
    for (const auto& [arguments, exitCode, message] : cases) {
        auto run = runQuillonctl("--trace " + arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
        EXPECT_FALSE(tableSent(run.err)) << "table sent: " << arguments;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
