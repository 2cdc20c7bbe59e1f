#include "codetable/code_table_editor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codetable/modifier_list.h"
#include "device/status_record.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {
namespace {

const EditorFamily& familyFor(int keypadType) {
    return *editorFamilyForKeypadType(keypadType);
}

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
    CodeTableEditor editor(familyFor(keypadType));
    editor.load(table);
    return editor;
}

TEST(EditorFamilies, OnlyTheCustomisedTableTypesOpenAnEditor) {
    struct Expected {
        const char* window;
        int keys;
        size_t payload;
        size_t listLength;
        const char* caption;
    };
    const std::map<int, Expected> editors = {
        {2, {"My4way_layout", 10, 20, 130, kCaptionQuillon}},
        {5, {"My12way_layout", 12, 32, 256, kCaptionEncoder}},
        {8, {"My16way_layout", 16, 32, 256, kCaptionEncoder}},
    };
    for (int type = -1; type <= 9; ++type) {
        const EditorFamily* family = editorFamilyForKeypadType(type);
        auto expected = editors.find(type);
        if (expected == editors.end()) {
            EXPECT_EQ(family, nullptr) << "type " << type;
            continue;
        }
        ASSERT_NE(family, nullptr) << "type " << type;
        EXPECT_STREQ(family->windowName, expected->second.window);
        EXPECT_EQ(family->keyCount, expected->second.keys);
        EXPECT_EQ(family->payloadLength, expected->second.payload);
        EXPECT_EQ(usageLabels(family->edition).size(), expected->second.listLength);
        EXPECT_STREQ(family->failureCaption, expected->second.caption);
        EXPECT_GE(family->payloadLength, size_t(2 * family->keyCount)) << family->windowName;
    }
}

TEST(EditorFamilies, SmallKeypadsHideTheKeysTheyLack) {
    struct Case {
        int ways;
        const char* picture;
        uint32_t hidden;
    };
    const Case cases[] = {{0, "parvo5Way.jpg", 0b10101},
                          {1, "parvo6Way.jpg", 0b00101},
                          {2, "parvo8Way.jpg", 0},
                          {3, "parvo8Way.jpg", 0}};
    for (const auto& c : cases) {
        EXPECT_STREQ(smallKeypadVariant(c.ways).pictureFile, c.picture) << c.ways;
        EXPECT_EQ(smallKeypadVariant(c.ways).hiddenKeys, c.hidden) << c.ways;
    }
}

TEST(CodeTableEditor, OneCodeChoiceAssignsEverySelectedKeyAndNoOther) {
    auto editor = loadedEditor(8);
    for (int key : {1, 2, 3}) {
        editor.clickKey(key);
        EXPECT_EQ(editor.look(key), KeyLook::Selected);
    }
    editor.chooseCode(0x04);
    for (int key = 1; key <= 16; ++key) {
        bool chosen = key <= 3;
        EXPECT_EQ(editor.code(key), chosen ? 0x04 : 0x10 + key) << key;
        EXPECT_EQ(editor.look(key), chosen ? KeyLook::Assigned : KeyLook::Unselected) << key;
    }
    EXPECT_EQ(editor.keySelected(), 0u);
    // With nothing selected a choice only closes the list.
    auto before = editor.payload();
    editor.chooseCode(0x2A);
    EXPECT_EQ(editor.payload(), before);
    EXPECT_FALSE(editor.codeListVisible());
}

TEST(CodeTableEditor, SecondClickGivesAKeyUpEvenAfterAnAssignment) {
    auto editor = loadedEditor(5);
    editor.clickKey(7);
    editor.chooseCode(0x28);
    ASSERT_EQ(editor.look(7), KeyLook::Assigned);
    editor.clickKey(7);
    editor.clickKey(7);
    EXPECT_EQ(editor.look(7), KeyLook::Unselected);
    EXPECT_EQ(editor.keySelected(), 0u);
    editor.chooseCode(0x29);
    EXPECT_EQ(editor.code(7), 0x28) << "a given-up key takes no code";
}

TEST(CodeTableEditor, KeyAndModifierSelectionsDoNotClearEachOther) {
    auto editor = loadedEditor(8);
    editor.clickKey(2);
    editor.clickModifier(2);
    editor.clickModifier(9);
    editor.chooseModifier(3);
    EXPECT_EQ(editor.keySelected(), 0b10u) << "key 2 still waits for a code";
    EXPECT_EQ(editor.look(2), KeyLook::Selected);
    EXPECT_EQ(editor.modifier(2), 3);
    EXPECT_EQ(editor.modifier(9), 3);
    editor.clickModifier(4);
    editor.chooseCode(0x05);
    EXPECT_EQ(editor.code(2), 0x05);
    EXPECT_EQ(editor.modSelected(), 0b1000u) << "modifier 4 still waits";
    EXPECT_TRUE(editor.modifierSelected(4));
}

TEST(CodeTableEditor, OnlyOneListShowsAndItFollowsTheLastSelection) {
    struct Step {
        char what;  // k: click key, m: click modifier, c: choose code, d: choose modifier
        int value;
        bool codeList;
        bool modifierList;
    };
    const std::vector<Step> steps = {
        {'k', 1, true, false},  {'m', 1, false, true}, {'k', 2, true, false},
        {'k', 2, true, false},  // giving a key up leaves the list where it was
        {'m', 1, true, false},  // so does giving a modifier up
        {'c', 4, false, false}, {'m', 3, false, true}, {'d', 1, false, false},
    };
    auto editor = loadedEditor(8);
    for (size_t i = 0; i < steps.size(); ++i) {
        const auto& s = steps[i];
        switch (s.what) {
            case 'k':
                editor.clickKey(s.value);
                break;
            case 'm':
                editor.clickModifier(s.value);
                break;
            case 'c':
                editor.chooseCode(s.value);
                break;
            default:
                editor.chooseModifier(s.value);
        }
        EXPECT_EQ(editor.codeListVisible(), s.codeList) << "step " << i;
        EXPECT_EQ(editor.modifierListVisible(), s.modifierList) << "step " << i;
    }
    editor.clickKey(5);
    editor.reset();
    EXPECT_TRUE(editor.codeListVisible()) << "Reset leaves the lists alone";
}

TEST(CodeTableEditor, PayloadHoldsTheKeyEntriesThenZerosToTheFamilyLength) {
    auto table = sampleTable();
    for (int type : {2, 5, 8}) {
        auto editor = loadedEditor(type, table);
        editor.clickKey(5);
        editor.chooseCode(0x04);
        editor.clickModifier(5);
        editor.chooseModifier(3);  // "Left    Alt"
        editor.clickModifier(3);
        editor.chooseModifier(0);  // " None"
        auto payload = editor.payload();
        const auto& family = editor.family();
        ASSERT_EQ(payload.size(), family.payloadLength) << family.windowName;
        auto expected = table;
        expected.resize(family.payloadLength);
        std::fill(expected.begin() + 2 * family.keyCount, expected.end(), 0);
        expected[8] = 0xE2;
        expected[9] = 0x04;
        expected[4] = 0x00;
        EXPECT_EQ(payload, expected) << family.windowName;
    }
}

TEST(CodeTableEditor, ModifierBytesRoundTripAndStrangeOnesReadAsNone) {
    struct Case {
        uint8_t loaded;
        int index;
        uint8_t sent;
    };
    const Case cases[] = {{0x00, 0, 0x00}, {0xE0, 1, 0xE0}, {0xE2, 3, 0xE2},
                          {0xE7, 8, 0xE7}, {0x05, 0, 0x00}, {0xE8, 0, 0x00}};
    for (const auto& c : cases) {
        std::vector<uint8_t> table = {c.loaded, 0x04};
        auto editor = loadedEditor(8, table);
        EXPECT_EQ(editor.modifier(1), c.index) << int(c.loaded);
        EXPECT_EQ(editor.payload()[0], c.sent) << int(c.loaded);
        EXPECT_EQ(editor.code(2), 0) << "entries past the table load as zeros";
    }
}

TEST(CodeTableEditor, SmallKeypadKeepsCodesItsListDoesNotOffer) {
    std::vector<uint8_t> table(20);
    table[1] = 0xE0;  // key 1: beyond the short list, as a 5-key keypad's hidden key may hold
    auto editor = loadedEditor(2, table);
    editor.clickKey(1);
    editor.chooseCode(0x82);  // not in the short list: nothing is assigned
    EXPECT_EQ(editor.code(1), 0xE0);
    EXPECT_EQ(editor.payload()[1], 0xE0);
}

TEST(CodeTableEditor, ResetPutsBackWhatWasLoaded) {
    auto editor = loadedEditor(5);
    auto loaded = editor.payload();
    editor.clickKey(1);
    editor.clickKey(12);
    editor.chooseCode(0x3A);
    editor.clickModifier(6);
    editor.chooseModifier(8);
    editor.clickKey(4);
    editor.clickModifier(2);
    editor.reset();
    EXPECT_EQ(editor.payload(), loaded);
    EXPECT_EQ(editor.keySelected(), 0u);
    EXPECT_EQ(editor.modSelected(), 0u);
    for (int key = 1; key <= 12; ++key) {
        EXPECT_EQ(editor.look(key), KeyLook::Unselected) << key;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
