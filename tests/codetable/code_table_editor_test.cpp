#include "codetable/code_table_editor.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "codetable/modifier_list.h"
#include "device/status_record.h"

namespace lumora_usb_encoder {
namespace {

// Key n carries code 0x10 + n; every third key a Left Shift.
std::vector<uint8_t> sampleTable() {
    std::vector<uint8_t> table(kCodeTableCapacity);
    for (size_t n = 1; n <= 16; ++n) {
        table[2 * (n - 1)] = n % 3 == 0 ? 0xE1 : 0x00;
        table[2 * (n - 1) + 1] = static_cast<uint8_t>(0x10 + n);
    }
    return table;
}

CodeTableEditor loadedEditor(int keypadType, const std::vector<uint8_t>& table = sampleTable()) {
    CodeTableEditor editor(*editorFamilyForKeypadType(keypadType));
    editor.load(table);
    return editor;
}

// Plays what a user does, one word a step: "k5" clicks key 5, "m5" its modifier button, "c2A"
// chooses code 0x2A from the code list, "d3" entry 3 of the modifier list, "r" presses Reset.
void play(CodeTableEditor& editor, const std::string& script) {
    std::istringstream words(script);
    for (std::string word; words >> word;) {
        int value =
            word.size() > 1 ? std::stoi(word.substr(1), nullptr, word[0] == 'c' ? 16 : 10) : 0;
        if (word[0] == 'k') {
            editor.clickKey(value);
        } else if (word[0] == 'm') {
            editor.clickModifier(value);
        } else if (word[0] == 'c') {
            editor.chooseCode(value);
        } else if (word[0] == 'd') {
            editor.chooseModifier(value);
        } else {
            editor.reset();
        }
    }
}

TEST(CodeTableEditor, OneCodeChoiceAssignsEverySelectedKeyAndNoOther) {
    auto editor = loadedEditor(8);
    play(editor, "k1 k2 k3");
    EXPECT_EQ(editor.look(2), KeyLook::Selected);
    play(editor, "c04");
    for (int key = 1; key <= 16; ++key) {
        bool chosen = key <= 3;
        EXPECT_EQ(editor.code(key), chosen ? 0x04 : 0x10 + key) << key;
        EXPECT_EQ(editor.look(key), chosen ? KeyLook::Assigned : KeyLook::Unselected) << key;
    }
    EXPECT_EQ(editor.keySelected(), 0u);
    auto before = editor.payload();
    play(editor, "c2A");
    EXPECT_EQ(editor.payload(), before) << "with nothing selected a choice only closes the list";
    EXPECT_FALSE(editor.codeListVisible());
}

TEST(CodeTableEditor, SecondClickGivesAKeyUpEvenAfterAnAssignment) {
    auto editor = loadedEditor(5);
    play(editor, "k7 c28 k7 k7 c29");
    EXPECT_EQ(editor.look(7), KeyLook::Unselected);
    EXPECT_EQ(editor.keySelected(), 0u);
    EXPECT_EQ(editor.code(7), 0x28) << "a given-up key takes no code";
}

TEST(CodeTableEditor, KeyAndModifierSelectionsDoNotClearEachOther) {
    auto editor = loadedEditor(8);
    play(editor, "k2 m2 m9 d3");
    EXPECT_EQ(editor.keySelected(), 0b10u) << "key 2 still waits for a code";
    EXPECT_EQ(editor.look(2), KeyLook::Selected);
    EXPECT_EQ(editor.modifier(2), 3);
    EXPECT_EQ(editor.modifier(9), 3);
    play(editor, "m4 c05");
    EXPECT_EQ(editor.code(2), 0x05);
    EXPECT_EQ(editor.modSelected(), 0b1000u) << "modifier 4 still waits";
    EXPECT_TRUE(editor.modifierSelected(4));
}

TEST(CodeTableEditor, OnlyOneListShowsAndItFollowsTheLastSelection) {
    const auto steps = std::to_array<std::tuple<const char*, bool, bool>>({
        {"k1", true, false},
        {"m1", false, true},
        {"k2", true, false},
        {"k2", true, false},  // giving a key up leaves the list where it was
        {"m1", true, false},  // so does giving a modifier up
        {"c4", false, false},
        {"m3", false, true},
        {"d1", false, false},
        {"k5 r", true, false},  // Reset leaves the lists alone
    });
    auto editor = loadedEditor(8);
    for (const auto& [step, codeList, modifierList] : steps) {
        play(editor, step);
        EXPECT_EQ(editor.codeListVisible(), codeList) << step;
        EXPECT_EQ(editor.modifierListVisible(), modifierList) << step;
    }
}

TEST(CodeTableEditor, PayloadHoldsTheKeyEntriesThenZerosToTheFamilyLength) {
    auto table = sampleTable();
    for (int type : {2, 5, 8}) {
        SCOPED_TRACE("keypad type " + std::to_string(type));
        auto editor = loadedEditor(type, table);
        play(editor, "k5 c04 m5 d3 m3 d0");  // key 5 Left Alt + 0x04, key 3 no modifier
        const auto& family = editor.family();
        auto expected = table;
        expected.resize(family.payloadLength);
        std::fill(expected.begin() + 2 * family.keyCount, expected.end(), 0);
        expected[8] = 0xE2;
        expected[9] = 0x04;
        expected[4] = 0x00;
        EXPECT_EQ(editor.payload(), expected);
    }
}

TEST(CodeTableEditor, ModifierBytesRoundTripAndStrangeOnesReadAsNone) {
    struct Row {
        const char* name;
        uint8_t loaded;
        int index;  // in the modifier list
        uint8_t sent;
    };
    const Row rows[] = {
        {"None", 0x00, 0, 0x00},           {"LeftControl", 0xE0, 1, 0xE0},
        {"LeftAlt", 0xE2, 3, 0xE2},        {"RightGui", 0xE7, 8, 0xE7},
        {"NoModifierByte", 0x05, 0, 0x00}, {"PastTheModifiers", 0xE8, 0, 0x00},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto editor = loadedEditor(8, {row.loaded, 0x04});
        EXPECT_EQ(editor.modifier(1), row.index);
        EXPECT_EQ(editor.payload()[0], row.sent);
        EXPECT_EQ(editor.code(2), 0) << "entries past the table load as zeros";
    }
}

TEST(CodeTableEditor, SmallKeypadKeepsCodesItsListDoesNotOffer) {
    std::vector<uint8_t> table(20);
    table[1] = 0xE0;  // key 1: beyond the short list, as a 5-key keypad's hidden key may hold
    auto editor = loadedEditor(2, table);
    play(editor, "k1 c82");  // not in the short list: nothing is assigned
    EXPECT_EQ(editor.payload()[1], 0xE0);
}

TEST(CodeTableEditor, ResetPutsBackWhatWasLoaded) {
    auto editor = loadedEditor(5);
    auto loaded = editor.payload();
    play(editor, "k1 k12 c3A m6 d8 k4 m2 r");
    EXPECT_EQ(editor.payload(), loaded);
    EXPECT_EQ(editor.keySelected(), 0u);
    EXPECT_EQ(editor.modSelected(), 0u);
    for (int key = 1; key <= 12; ++key) {
        EXPECT_EQ(editor.look(key), KeyLook::Unselected) << key;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
