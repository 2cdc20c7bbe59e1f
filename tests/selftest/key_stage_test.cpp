// The key stage finds every key of every keypad: the small keypads keep their fixed F15-F24
// pictures; the 12- and 16-key keypads are switched to their own default table, whose codes are
// read back and traced to the keys that type them.
#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <tuple>

#include "common/world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "selftest/key_map.h"
#include "selftest/self_test_sequence.h"

namespace lumora_usb_encoder::selftest {
// "picture 15 (key 12)" in a failing comparison.
inline void PrintTo(const KeyHit& hit, std::ostream* os) {
    *os << "picture " << hit.button << " (key " << hit.key << ")";
}
}  // namespace lumora_usb_encoder::selftest

namespace lumora_usb_encoder::testing {
namespace {

using namespace selftest;

constexpr uint8_t kF15 = 0x6A;
constexpr uint8_t kF17 = 0x6C;
constexpr uint8_t kF20 = 0x6F;
constexpr uint8_t kF24 = 0x73;
constexpr uint8_t kLetterA = 0x04;
constexpr uint8_t kLeftShift = 0xE1;

// The pictures (buttons) F15 to F24 light, in that order.
std::vector<int> functionKeyButtons(const KeyMap& map) {
    std::vector<int> buttons;
    for (uint8_t usage = kF15; usage <= kF24; ++usage) {
        for (const auto& hit : map.hits(usage)) {
            buttons.push_back(hit.button);
        }
    }
    return buttons;
}

const std::vector<int> kFixedButtons = {9, 10, 2, 6, 7, 8, 4, 5, 1, 3};

// The table in use does not matter: a customised one that types F24 on key 1 changes nothing.
TEST(SmallKeypads, FunctionKeysLightTheirFixedPicturesOnEveryLayoutAndOptionsByte) {
    const std::vector<uint8_t> custom = {0, kF24, 0, kLetterA};
    const std::tuple<const char*, uint8_t, uint8_t> rows[] = {
        {"5 keys, default table", 0, 0},    {"6 keys, default table", 0, 1},
        {"8 keys, default table", 0, 3},    {"5 keys, alternate table", 1, 0},
        {"6 keys, customised table", 2, 1}, {"8 keys, customised table", 2, 3},
        {"another options byte", 0, 6},     {"a type of no family", 9, 0},
    };
    for (const auto& [name, type, options] : rows) {
        SCOPED_TRACE(name);
        KeyMap map = keyMapFor(type, options, custom);
        EXPECT_TRUE(map.functionKeyTable());
        EXPECT_EQ(functionKeyButtons(map), kFixedButtons);
        EXPECT_TRUE(map.hits(kLetterA).empty());
        EXPECT_EQ(map.hits(kF17), (std::vector<KeyHit>{{2, 3}}));
        EXPECT_EQ(keyStageKeypadType(type), 0);
    }
}

TEST(KeyStageType, EachFamilyGoesToItsOwnDefaultTable) {
    const std::pair<uint8_t, uint8_t> rows[] = {
        {0, 0}, {1, 0}, {2, 0}, {3, 3}, {4, 3}, {5, 3}, {6, 6}, {7, 6}, {8, 6}, {9, 0}, {255, 0},
    };
    for (const auto& [type, expected] : rows) {
        EXPECT_EQ(keyStageKeypadType(type), expected) << "type " << int(type);
    }
}

// A table whose key k types `codes[k - 1]`, without modifiers.
std::vector<uint8_t> tableOf(const std::vector<uint8_t>& codes) {
    std::vector<uint8_t> table;
    for (uint8_t code : codes) {
        table.push_back(0);
        table.push_back(code);
    }
    return table;
}

TEST(KeyMapFromTable, CodesLightTheKeysThatTypeThem) {
    struct Row {
        const char* name;
        uint8_t keypadType;
        std::vector<uint8_t> table;
        uint8_t typed;
        std::vector<KeyHit> lit;
    };
    std::vector<uint8_t> sixteenF = {0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
                                     0x70, 0x71, 0x72, 0x73, 0x3A, 0x3B, 0x3C, 0x3D};
    std::vector<uint8_t> twelve = {0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23,
                                   0x24, 0x25, 0x26, 0x27, kF15, kF17};
    const Row rows[] = {
        {"16 keys: key 16", 8, tableOf(sixteenF), 0x3D, {{16, 16}}},
        {"16 keys: key 1", 6, tableOf(sixteenF), 0x68, {{1, 1}}},
        {"12 keys: key 4 is picture 5", 5, tableOf(twelve), 0x21, {{5, 4}}},
        {"12 keys: key 12 is picture 15", 3, tableOf(twelve), kF17, {{15, 12}}},
        {"repeated code lights both keys", 6, tableOf({kF20, 0x05, kF20}), kF20, {{1, 1}, {3, 3}}},
        {"a modifier with the code still types it", 7, {kLeftShift, kLetterA}, kLetterA, {{1, 1}}},
        {"a key typing nothing is not lit by 0", 6, tableOf({0, 0x05}), 0, {}},
        {"entries past the 12 keys are left out", 4, tableOf(sixteenF), 0x3A, {}},
        {"a short table lights what it has", 6, tableOf({0x05}), 0x05, {{1, 1}}},
        {"an odd last byte is no entry", 6, {0, 0x05, 0}, 0x05, {{1, 1}}},
    };
    for (const auto& row : rows) {
        KeyMap map = keyMapFor(row.keypadType, 0, row.table);
        EXPECT_FALSE(map.functionKeyTable()) << row.name;
        EXPECT_EQ(map.hits(row.typed), row.lit) << row.name;
    }
}

TEST(KeysText, NamesEveryKeyACodeCameFrom) {
    const std::pair<std::vector<KeyHit>, std::string> rows[] = {
        {{}, ""},
        {{{16, 16}}, "key 16"},
        {{{6, 6}, {16, 16}}, "key 6 or 16"},
        {{{1, 1}, {5, 4}, {9, 7}}, "key 1, 4 or 7"},
    };
    for (const auto& [hits, text] : rows) {
        EXPECT_EQ(keysText(hits), text);
    }
}

// Keeps the map the key stage hands over, and closes the run once it has it.
class ListeningPort final : public SelfTestPort {
  public:
    void setText(Label, const std::string&) override {}
    void highlight(Label) override {}
    void tick(CheckBox) override {}
    void showKeyTestNotice(const std::string&, const std::string&) override {}
    void listenFor(const KeyMap& map) override {
        heard = map;
        closeForm = true;
    }
    std::optional<KeyMap> heard;
    std::atomic<bool> closeForm{false};
};

SelfTestOutcome keyStageOnly(const SelfTestStart& start, ListeningPort& port) {
    SelfTestOptions options;
    options.stages = {false, false, false, true};
    return runSelfTest(start, options, port, port.closeForm);
}

WorldOptions openKeypad() {
    WorldOptions options;
    options.openKeypad = true;
    return options;
}

TEST(KeyStage, SwitchesToTheFamilyTableAndListensForItsCodes) {
    const std::tuple<const char*, const char*, uint8_t, bool> rows[] = {
        // spec, the type switched to, whether the table typed is read back after the switch
        {"small keypad, customised", "keys=8,type=2", 0, false},
        {"12 keys, customised", "keys=12,type=5", 3, true},
        {"12 keys, alternate", "keys=12,type=4", 3, true},
        {"16 keys, customised", "keys=16,type=8", 6, true},
        {"16 keys, default", "keys=16,type=6", 6, true},
    };
    for (const auto& [name, spec, switchedTo, tableRead] : rows) {
        SCOPED_TRACE(name);
        World world(spec, openKeypad());
        auto start = GetDeviceStatusMessage();
        ASSERT_TRUE(start);
        world.forgetSent();
        ListeningPort port;
        EXPECT_EQ(keyStageOnly(*start, port).stages[3], StageResult::Closed);
        std::vector<SentCommand> expected = {{Command::KeypadType, {switchedTo}}};
        if (tableRead) {
            expected.push_back({Command::Status, {}});
        }
        EXPECT_EQ(world.sent(), expected);
        ASSERT_TRUE(port.heard);
        auto status = readDeviceStatus();
        ASSERT_TRUE(status);
        EXPECT_EQ(*port.heard,
                  keyMapFor(start->keypadType_index, start->options_fitted, status->codeTable));
    }
}

TEST(KeyStageTableRead, ARefusedReadEndsTheStage) {
    World world("keys=16,type=8", openKeypad());
    auto start = GetDeviceStatusMessage();
    ASSERT_TRUE(start);
    int statusReads = 0;
    world.onReport = [&](const hid::TracedReport& report) {
        auto sent = decodeWritten(report);
        if (sent && sent->command == Command::Status && ++statusReads == 1) {
            world.keypad().faults.refuse = true;
        }
    };
    ListeningPort port;
    EXPECT_EQ(keyStageOnly(*start, port).stages[3], StageResult::Failed);
    EXPECT_FALSE(port.heard);
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
