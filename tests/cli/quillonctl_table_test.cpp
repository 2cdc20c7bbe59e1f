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

// No modifier means none.
TEST(QuillonctlTableSet, SendsTheEditorsPayloadForEachKeypadSize) {
    using Bytes = std::vector<std::pair<size_t, uint8_t>>;  // offset, value
    struct Row {
        const char* name;
        const char* keypad;
        const char* words;  // the assignments
        size_t length;      // of the payload
        size_t entries;     // the key entries before the zero padding
        Bytes bytes;
    };
    const Row rows[] = {
        {"SixteenKeys", "keys=16,type=8", "5=LeftAlt+0x04", 32, 32, {{8, 0xE2}, {9, 0x04}}},
        {"TwelveKeysByName",
         "keys=12,type=5",
         "12=rightgui+ENTER 1=a",
         32,
         24,
         {{22, 0xE7}, {23, 0x28}, {0, 0}, {1, 4}}},
        {"SmallKeypad", "keys=5,type=2", "10=LeftShift+F13", 20, 20, {{18, 0xE1}, {19, 0x68}}},
        {"PlainCode", "keys=16,type=8", "3=0x1E", 32, 32, {{4, 0}, {5, 0x1E}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Options may follow the assignments.
        std::string arguments =
            std::string("table set ") + row.words + " --simulate=" + row.keypad + " --trace";
        auto run = runQuillonctl(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        auto payload = tableSent(run.err).value_or(std::vector<uint8_t>{});
        ASSERT_EQ(payload.size(), row.length);
        for (auto [offset, value] : row.bytes) {
            EXPECT_EQ(payload.at(offset), value) << "offset " << offset;
        }
        std::vector<uint8_t> padding(payload.begin() + row.entries, payload.end());
        EXPECT_EQ(padding, std::vector<uint8_t>(row.length - row.entries, 0));
    }
}

TEST(QuillonctlTableSet, KeysNotNamedKeepWhatTheKeypadHolds) {
    auto held = nlohmann::json::parse(runQuillonctl("--simulate=keys=5,type=2 --json status").out);
    auto run = runQuillonctl("--simulate=keys=5,type=2 --trace table set 2=z");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto payload = tableSent(run.err).value_or(std::vector<uint8_t>{});
    ASSERT_EQ(payload.size(), 20u);
    std::vector<uint8_t> expected = held["codeTable"].get<std::vector<uint8_t>>();
    expected.resize(20);
    expected[2] = 0x00;
    expected[3] = 0x1D;
    EXPECT_EQ(payload, expected);
}

TEST(QuillonctlTableSet, RefusesWithoutSendingATable) {
    const std::string sixteen = "--simulate=keys=16,type=8 ";
    struct Row {
        const char* name;
        std::string arguments;
        int exitCode;
        const char* says;
    };
    const Row rows[] = {
        {"NotACustomisedTable", "--simulate=keys=16,type=7 table set 1=a", 1,
         "Please select a customise table.."},
        {"KeyPastSixteen", sixteen + "table set 17=a", 2, "'17'"},
        {"KeyZero", sixteen + "table set 0=a", 2, "'0'"},
        {"KeyPastTwelve", "--simulate=keys=12,type=5 table set 13=a", 2, "13"},
        {"KeyPastTen", "--simulate=keys=8,type=2 table set 11=a", 2, "11"},
        {"CodeNotInTheShortList", "--simulate=keys=8,type=2 table set 1=0x82", 2, "0x82"},
        {"CodeAboveAByte", sixteen + "table set 1=0x100", 2, "0x100"},
        {"UndefinedName", sixteen + "table set 1=Undefine", 2, "Undefine"},
        {"UnknownModifier", sixteen + "table set 1=Hyper+a", 2, "Hyper"},
        {"WordWithoutEquals", sixteen + "table set 1=a 2", 2, "'2'"},
        {"NoAssignments", sixteen + "table set", 2, "assignments"},
        {"StatusRefused", "--simulate=keys=16,type=8,fault=refuse table set 1=a", 1,
         "Load Table-Unable to get device status.."},
        {"NoKeypad", "--simulate=absent=1 table set 1=a", 3, "not connected"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto run = runQuillonctl("--trace " + row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
        EXPECT_FALSE(tableSent(run.err)) << "a table was sent";
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
