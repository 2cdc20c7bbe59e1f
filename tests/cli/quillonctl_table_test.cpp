#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "../support/sent_commands.h"
#include "cli_runner.h"

namespace lumora_usb_encoder {
namespace {

using testing::runQuillonctl;

// The payload of the first code table written, if any.
std::optional<std::vector<uint8_t>> tableSent(const std::string& trace) {
    for (const auto& sent : testing::tracedCommands(trace)) {
        if (sent.command == 5) {
            return sent.payload;
        }
    }
    return std::nullopt;
}

TEST(QuillonctlTableSet, SendsTheEditorsPayloadForEachKeypadSize) {
    struct Case {
        const char* arguments;
        size_t length;
        size_t entries;  // key entries before the zero padding
        std::vector<std::pair<size_t, uint8_t>> bytes;
    };
    const Case cases[] = {
        {"--simulate=keys=16,type=8 --trace table set 5=LeftAlt+0x04",
         32,
         32,
         {{8, 0xE2}, {9, 0x04}}},
        {"--simulate=keys=12,type=5 --trace table set 12=rightgui+ENTER 1=a",
         32,
         24,
         {{22, 0xE7}, {23, 0x28}, {0, 0x00}, {1, 0x04}}},
        {"table set 10=LeftShift+F13 --simulate=keys=5,type=2 --trace",
         20,
         20,
         {{18, 0xE1}, {19, 0x68}}},
        {"--simulate=keys=16,type=8 --trace table set 3=LeftControl+b 3=0x1E",
         32,
         32,
         {{4, 0x00}, {5, 0x1E}}},  // the last word on a key counts, and no MOD means none
    };
    for (const auto& c : cases) {
        auto run = runQuillonctl(c.arguments);
        ASSERT_EQ(run.exitCode, 0) << c.arguments << "\n" << run.err;
        auto payload = tableSent(run.err).value_or(std::vector<uint8_t>{});
        ASSERT_EQ(payload.size(), c.length) << c.arguments;
        for (auto [offset, value] : c.bytes) {
            EXPECT_EQ(payload.at(offset), value) << c.arguments << " offset " << offset;
        }
        for (size_t i = c.entries; i < payload.size(); ++i) {
            EXPECT_EQ(payload[i], 0) << c.arguments << " padding at " << i;
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
    struct Case {
        std::string arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
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
    for (const auto& c : cases) {
        auto run = runQuillonctl("--trace " + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_FALSE(tableSent(run.err)) << "table sent: " << c.arguments;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
