#include <gtest/gtest.h>

#include "common/world.h"
#include "device/hid_backend.h"
#include "selftest/keyboard_reader.h"
#include "selftest/stage_list.h"
#include "sim/sim_keypad.h"
#include "simserver/sim_server_session.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using namespace selftest;

// A simulated keypad and the reader of what it types.
struct Typed {
    explicit Typed(const std::string& spec) : world(spec) { EXPECT_TRUE(reader.open()); }
    World world;
    KeyboardReader reader;
};

std::unique_ptr<Typed> keypad(const std::string& spec) {
    return std::make_unique<Typed>(spec);
}

TEST(SimulatedKeyboard, TypesTheTableInUseOncePerPress) {
    struct Row {
        const char* name;
        std::string spec;
        int key;
        std::vector<uint8_t> typed;
    };
    const Row rows[] = {
        {"DefaultTableF17", "keys=8,type=0", 3, {0x6C}},
        {"AlternateTableKeypad1", "keys=8,type=1", 1, {0x59}},
        {"CustomisedTable", "keys=8,type=2", 3, {0x06}},
        {"SixteenKeys", "keys=16,type=8", 16, {0x13}},
        {"SmallKeypadsHaveTenEntries", "keys=8,type=0", 11, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto typed = keypad(row.spec);
        EXPECT_EQ(typed->world.keypad().typeKey(row.key), !row.typed.empty());
        Sleep(100);  // past the release
        EXPECT_EQ(typed->reader.poll(), row.typed);
        EXPECT_TRUE(typed->reader.poll().empty());
    }
}

TEST(SimulatedKeyboard, PressOptionTypesAtItsTime) {
    auto typed = keypad("keys=8,press=3@500;1@900");
    Sleep(400);
    EXPECT_TRUE(typed->reader.poll().empty());
    Sleep(200);
    EXPECT_EQ(typed->reader.poll(), (std::vector<uint8_t>{0x6C}));
    Sleep(400);
    EXPECT_EQ(typed->reader.poll(), (std::vector<uint8_t>{0x6A}));
}

TEST(SimulatedKeyboard, PressRequestReachesTheServedKeypad) {
    auto typed = keypad("keys=8");
    sim::Simulation& simulation = typed->world.simulation;
    sim::SimBackend backend(simulation.bus);
    auto keypadAt = [&](const std::string& path, int key) -> std::string {
        bool typedThere =
            simulation.bus->deviceAt(path) == simulation.keypad && simulation.keypad->typeKey(key);
        return typedThere ? "" : "no such key";
    };
    sim::ServerSession session(backend, {}, keypadAt);
    std::string path = backend.enumerate(0x2047, 0x09BF).at(1).path;
    EXPECT_EQ(session.handle("PRESS " + path + " 2").answer, "OK\n");
    EXPECT_EQ(session.handle("PRESS " + path + " 12").answer, "ERR no such key\n");
    EXPECT_EQ(session.handle("PRESS " + path + " 17").answer, "ERR bad key (1-16)\n");
    EXPECT_EQ(sim::ServerSession(backend).handle("PRESS " + path + " 2").answer,
              "ERR no keys to press here\n");
    Sleep(10);
    EXPECT_EQ(typed->reader.poll(), (std::vector<uint8_t>{0x6B}));
}

TEST(BootKeyboardReport, NewPressesOnlyAndNoRollOver) {
    std::string error;
    const uint8_t eight[8] = {0x02, 0, 0x6A, 0x04, 0, 0, 0, 0};
    auto report = decodeBootReport(eight, error);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->modifiers, 0x02);
    EXPECT_EQ(newlyPressed({}, *report), (std::vector<uint8_t>{0x6A, 0x04}));
    BootKeyboardReport held = *report;
    held.keys = {0x04, 0x6B, 0, 0, 0, 0};
    EXPECT_EQ(newlyPressed(*report, held), (std::vector<uint8_t>{0x6B}));
    BootKeyboardReport rollOver;
    rollOver.keys.fill(0x01);
    EXPECT_TRUE(newlyPressed({}, rollOver).empty());
    for (size_t size : {0, 7, 9, 64}) {
        EXPECT_FALSE(decodeBootReport(std::vector<uint8_t>(size), error)) << size << " bytes";
    }
    EXPECT_EQ(testKeyForUsage(0x6C)->name, "F17");
    EXPECT_EQ(testKeyForUsage(0x73)->number, 10);
    EXPECT_FALSE(testKeyForUsage(0x74));
}

TEST(StageList, NamesKnownStagesOnly) {
    std::string error;
    EXPECT_EQ(parseStageList("keys,led", error),
              (std::array<bool, kStageCount>{true, false, false, true}));
    for (const char* bad : {"", "led,", ",led", "led,lamp", "LED"}) {
        EXPECT_FALSE(parseStageList(bad, error)) << bad;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
