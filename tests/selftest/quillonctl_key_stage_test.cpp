// quillonctl selftest --stages keys on the 12- and 16-key keypads: every key is found by the
// table the stage switched to, and the keypad's own table comes back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "../cli/cli_runner.h"
#include "common/sent_commands.h"

namespace lumora_usb_encoder::testing {
namespace {

// Keys 1 to `keys` pressed one by one, 80 ms apart, once the stage listens.
std::string everyKey(int keys) {
    std::string presses = "press=";
    for (int key = 1; key <= keys; ++key) {
        presses +=
            (key > 1 ? ";" : "") + std::to_string(key) + "@" + std::to_string(620 + 80 * key);
    }
    return presses;
}

std::vector<SentCommand> keypadTypes(const std::string& trace) {
    std::vector<SentCommand> types;
    for (const auto& sent : tracedCommands(trace)) {
        if (sent.command == Command::KeypadType) {
            types.push_back(sent);
        }
    }
    return types;
}

TEST(QuillonctlKeyStage, EveryKeyOfTheLargeKeypadsIsSeen) {
    struct Row {
        const char* name;
        int keys;
        uint8_t type;
        uint8_t stageType;
        const char* lastKeyLine;  // the default table types key 11's code on key 1 too
    };
    const Row rows[] = {
        {"12 keys, customised table", 12, 5, 3, "keys: key 2 or 12 (F16)"},
        {"16 keys, customised table", 16, 8, 6, "keys: key 6 or 16 (F20)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string spec = "keys=" + std::to_string(row.keys) + ",type=" + std::to_string(row.type);
        std::string simulate = "'--simulate=" + spec + "," + everyKey(row.keys) + "'";
        auto text = runQuillonctl(simulate + " --trace selftest --stages keys --keys-time 3");
        EXPECT_EQ(text.exitCode, 0) << text.err;
        EXPECT_NE(text.out.find(row.lastKeyLine), std::string::npos) << text.out;
        EXPECT_EQ(keypadTypes(text.err),
                  (std::vector<SentCommand>{{Command::KeypadType, {row.stageType}},
                                            {Command::KeypadType, {row.type}}}));
        auto json = runQuillonctl(simulate + " --json selftest --stages keys --keys-time 3");
        ASSERT_EQ(json.exitCode, 0) << json.err;
        auto result = nlohmann::json::parse(json.out);
        std::set<int> seen;
        for (const auto& key : result["keysSeen"]) {
            seen.insert(key["key"].get<int>());
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(row.keys));
        EXPECT_EQ(*seen.begin(), 1);
        EXPECT_EQ(*seen.rbegin(), row.keys);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
