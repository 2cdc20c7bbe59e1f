#include "codetable/usage_list.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "codetable/modifier_list.h"
#include "codetable/usage_speech.h"

namespace lumora_usb_encoder {
namespace {

// The table's shape: every label is its code in "0xHH", blanks (three where the documented
// table has them), and a name that finds its code again unless several codes share it.
TEST(UsageLists, EveryLabelIsItsCodeBlanksAndAUniqueName) {
    auto full = usageLabels(UsageEdition::Full);
    auto shortList = usageLabels(UsageEdition::Short);
    ASSERT_EQ(full.size(), 256u);
    ASSERT_EQ(shortList.size(), 130u);
    int undefined = 0;
    for (size_t code = 0; code < full.size(); ++code) {
        std::string label = full[code];
        bool three = code == 0x0A || code == 0x10 || code == 0x1A;
        std::string head = usageButtonText(static_cast<uint8_t>(code)) + (three ? "   " : "    ");
        ASSERT_EQ(label.substr(0, head.size()), head) << label;
        std::string name = label.substr(head.size());
        ASSERT_FALSE(name.empty() || name.find(' ') != std::string::npos) << label;
        EXPECT_EQ(usageLabelName(label), name);
        if (name == "Undefine") {
            ++undefined;
        } else {
            EXPECT_EQ(usageCodeFromName(name), code) << label;
        }
        if (code < shortList.size() && code != 0x81) {
            EXPECT_STREQ(shortList[code], full[code]);
        }
    }
    EXPECT_EQ(undefined, (0xDF - 0xA5 + 1) + (0xFF - 0xE8 + 1));
}

TEST(UsageLists, SpotChecksOfLabelsAndNames) {
    const auto labels = std::to_array<std::string>({
        "0x00    Reserved",
        "0x04    a",
        "0x0A   g",
        "0x1E    1",
        "0x27    0",
        "0x35    Tilde",
        "0x3A    F1",
        "0x62    Keypad0",
        "0x68    F13",
        "0x81    VolumneDown",
        "0x86    AS400KeypadEqual",
        "0xA4    ExSel",
        "0xA5    Undefine",
        "0xE7    RightGUI",
        "0xFF    Undefine",
    });
    for (const std::string& label : labels) {
        size_t code = std::stoul(label.substr(2, 2), nullptr, 16);
        EXPECT_EQ(usageLabels(UsageEdition::Full)[code], label);
    }
    EXPECT_STREQ(usageLabels(UsageEdition::Short)[0x81], "0x81    VolumeDown");
    // Names find their code without regard to case; every other name is checked by the shape.
    const auto cases = std::to_array<std::pair<const char*, std::optional<uint8_t>>>({
        {"A", 0x04},
        {"enter", 0x28},
        {"leftalt", 0xE2},
        {"volumedown", 0x81},
        {"KEYPAD0", 0x62},
        {"Undefine", std::nullopt},
        {"", std::nullopt},
        {"nokey", std::nullopt},
        {"0x04", std::nullopt},
        {"a ", std::nullopt},
    });
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(usageCodeFromName(name), code) << '"' << name << '"';
    }
}

TEST(ModifierList, LabelsBytesAndNamesMatch) {
    const auto rows = std::to_array<std::tuple<int, const char*, uint8_t>>({
        {0, " None", 0x00},
        {1, "Left  Ctrl", 0xE0},
        {2, "Left Shift", 0xE1},
        {3, "Left    Alt", 0xE2},
        {4, "Left   Gui", 0xE3},
        {5, "Right  Ctrl", 0xE4},
        {6, "Right Shift", 0xE5},
        {7, "Right    Alt", 0xE6},
        {8, "Right   Gui", 0xE7},
    });
    ASSERT_EQ(kModifierLabels.size(), std::size(rows));
    for (const auto& [index, label, byte] : rows) {
        SCOPED_TRACE(label);
        EXPECT_EQ(kModifierLabels[static_cast<size_t>(index)], std::string(label));
        EXPECT_EQ(modifierByteFromIndex(index), byte);
        EXPECT_EQ(modifierIndexFromByte(byte), index);
    }
    for (int byte : {0x01, 0x80, 0xDF, 0xE8, 0xFF}) {  // no entry: no modifier
        EXPECT_EQ(modifierIndexFromByte(static_cast<uint8_t>(byte)), 0) << byte;
    }
    for (int index : {-1, 9}) {
        EXPECT_EQ(modifierByteFromIndex(index), 0x00) << index;
    }
    const auto cases = std::to_array<std::pair<const char*, std::optional<int>>>({
        {"None", 0},
        {"LeftCtrl", 1},
        {"leftcontrol", 1},
        {"Left Shift", 2},
        {"LEFTALT", 3},
        {"LeftGui", 4},
        {"LeftGUI", 4},
        {"RightCtrl", 5},
        {"RightControl", 5},
        {"rightshift", 6},
        {"RightAlt", 7},
        {"RightGui", 8},
        {"", std::nullopt},
        {"Shift", std::nullopt},
        {"Undefine", std::nullopt},
    });
    for (const auto& [name, index] : cases) {
        EXPECT_EQ(modifierIndexFromName(name), index) << '"' << name << '"';
    }
}

// Letters, digits and the window-level cases are covered where the editor is read aloud.
TEST(UsageSpeech, NamesReadAsWordsAndAWholeTypedNameBeatsAStartWhichBeatsAPart) {
    const auto spoken = std::map<uint8_t, std::string>({
        {0x46, "Print Screen"},
        {0x59, "Keypad 1"},
        {0x68, "F13"},
        {0x81, "Volume Down"},
        {0x86, "AS400 Keypad Equal"},
        {0xE3, "Left GUI"},
    });
    for (const auto& [code, name] : spoken) {
        EXPECT_EQ(usageSpokenName(code), name) << int(code);
    }
    EXPECT_EQ(modifierSpokenName(0), "None");
    EXPECT_EQ(modifierSpokenName(8), "Right GUI");
    EXPECT_EQ(modifierSpokenName(9), "None");
    // Typed names find an entry: "a" is part of "0x0A   g", "1" of "0x01    ErrorRollOver" and
    // "up" of "PageUp", all earlier in the list, and the better match wins.
    const auto found = std::map<std::string, std::optional<size_t>>({
        {"a", 0x04},
        {"1", 0x1E},
        {"up", 0x52},
        {"0X5", 0x50},
        {"padent", 0x58},
        {"zzz", std::nullopt},
        {"  ", std::nullopt},
    });
    for (const auto& [typed, entry] : found) {
        EXPECT_EQ(findListEntry(usageLabels(UsageEdition::Full), typed), entry) << typed;
    }
    EXPECT_EQ(findListEntry(kModifierLabels, "right alt"), 7u);
    EXPECT_EQ(findListEntry(usageLabels(UsageEdition::Short), "leftalt"), std::nullopt);
}

}  // namespace
}  // namespace lumora_usb_encoder
