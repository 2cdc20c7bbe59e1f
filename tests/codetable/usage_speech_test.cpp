#include "codetable/usage_speech.h"

#include <gtest/gtest.h>

#include <vector>

#include "codetable/modifier_list.h"
#include "codetable/usage_list.h"

namespace lumora_usb_encoder {
namespace {

TEST(UsageSpeech, CodesAndModifiersReadAsWords) {
    struct Case {
        uint8_t code;
        const char* spoken;
    };
    for (auto c : std::vector<Case>{{0x04, "a and A"},
                                    {0x1D, "z and Z"},
                                    {0x1E, "1 and !"},
                                    {0x27, "0 and )"},
                                    {0x28, "Enter"},
                                    {0x46, "Print Screen"},
                                    {0x59, "Keypad 1"},
                                    {0x68, "F13"},
                                    {0x81, "Volume Down"},
                                    {0x86, "AS400 Keypad Equal"},
                                    {0xE3, "Left GUI"},
                                    {0xFF, "Undefine"}}) {
        EXPECT_EQ(usageSpokenName(c.code), c.spoken) << int(c.code);
    }
    EXPECT_EQ(modifierSpokenName(0), "None");
    EXPECT_EQ(modifierSpokenName(3), "Left Alt");
    EXPECT_EQ(modifierSpokenName(8), "Right GUI");
    EXPECT_EQ(modifierSpokenName(9), "None");
}

TEST(UsageSpeech, TypingFindsTheBestEntryByAnyPartOfIt) {
    struct Case {
        const char* typed;
        std::optional<size_t> found;
    };
    auto full = usageLabels(UsageEdition::Full);
    for (auto c : std::vector<Case>{{"f13", 0x68},
                                    {"F1", 0x3A},     // the whole name before "F10"
                                    {"enter", 0x28},  // before "KeypadEnter"
                                    {"0x28", 0x28},
                                    {"0X5", 0x50},     // a label's start
                                    {"padent", 0x58},  // anywhere
                                    {"keypad enter", 0x58},
                                    {"e", 0x08},
                                    {"zzz", std::nullopt},
                                    {"  ", std::nullopt}}) {
        EXPECT_EQ(findListEntry(full, c.typed), c.found) << c.typed;
    }
    EXPECT_EQ(findListEntry(kModifierLabels, "right alt"), 7u);
    EXPECT_EQ(findListEntry(kModifierLabels, "gui"), 4u);
    EXPECT_EQ(findListEntry(kModifierLabels, "none"), 0u);
    EXPECT_EQ(findListEntry(usageLabels(UsageEdition::Short), "leftalt"), std::nullopt);
}

TEST(CodeTableEditor, OnlyChangedCodesOrModifiersAreUnapplied) {
    CodeTableEditor editor(*editorFamilyForKeypadType(8));
    editor.load(std::vector<uint8_t>{0x00, 0x04, 0x05, 0x06});  // a modifier byte it cannot show
    EXPECT_FALSE(editor.hasUnappliedChanges());
    editor.clickKey(1);
    editor.clickModifier(2);
    EXPECT_FALSE(editor.hasUnappliedChanges());  // selections alone
    editor.chooseCode(0x04);                     // the code it had
    EXPECT_FALSE(editor.hasUnappliedChanges());
    editor.chooseModifier(2);
    EXPECT_TRUE(editor.hasUnappliedChanges());
    editor.reset();
    EXPECT_FALSE(editor.hasUnappliedChanges());
}

}  // namespace
}  // namespace lumora_usb_encoder
