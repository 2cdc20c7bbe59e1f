#include "codetable/usage_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "codetable/modifier_list.h"

namespace lumora_usb_encoder {
namespace {

// The names of the Keyboard/Keypad page as the product documentation lists them, by code, in
// runs of consecutive codes.
std::vector<std::string> numbered(const std::string& stem, int first, int last) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i) {
        names.push_back(stem + std::to_string(i));
    }
    return names;
}
std::vector<std::string> repeated(const std::string& name, int count) {
    return std::vector<std::string>(static_cast<size_t>(count), name);
}
std::vector<std::string> letters(const std::string& chars) {
    std::vector<std::string> names;
    for (char c : chars) {
        names.push_back(std::string(1, c));
    }
    return names;
}

std::vector<std::string> documentedNames() {
    const std::vector<std::vector<std::string>> runs = {
        {"Reserved", "ErrorRollOver", "POSTFail", "ErrorUndefined"},
        letters("abcdefghijklmnopqrstuvwxyz"),
        letters("1234567890"),
        {"Enter", "Escape", "Backspace", "Tab", "Spacebar", "Minus", "Equal", "LeftBracket",
         "RightBracket", "Backslash", "VerticalBar", "Semicolon", "Apostrophe", "Tilde", "Comma",
         "Period", "Slash", "CapsLock"},
        numbered("F", 1, 12),
        {"PrintScreen", "ScrollLock", "Pause", "Insert", "Home", "PageUp", "DeleteForward", "End",
         "PageDown", "RightArrow", "LeftArrow", "DownArrow", "UpArrow", "KeypadNumlock",
         "KeypadSlash", "KeypadAsterisk", "KeypadMinus", "KeypadPlus", "KeypadEnter"},
        numbered("Keypad", 1, 9),
        {"Keypad0", "KeypadPeriod", "NonUsBackslash", "WindowsKey", "Power", "KeypadEqual"},
        numbered("F", 13, 24),
        {"Execute", "Help", "Menu", "Select", "Stop", "Again", "Undo", "Cut", "Copy", "Paste",
         "Find", "Mute", "VolumeUp", "VolumneDown", "LockingCapsLock", "LockingNumLock",
         "LockingScrollLock", "KeypadComma", "AS400KeypadEqual"},
        numbered("International", 1, 9),
        numbered("Lang", 1, 9),
        {"AlternateErase", "SysReq", "Cancel", "Clear", "Prior", "Return", "Separator", "Out",
         "Oper", "ClearAgain", "CrSelProps", "ExSel"},
        repeated("Undefine", 0xDF - 0xA5 + 1),
        {"LeftControl", "LeftShift", "LeftAlt", "LeftGUI", "RightControl", "RightShift", "RightAlt",
         "RightGUI"},
        repeated("Undefine", 0xFF - 0xE8 + 1),
    };
    std::vector<std::string> names;
    for (const auto& run : runs) {
        names.insert(names.end(), run.begin(), run.end());
    }
    return names;
}

// "0x", two upper-case digits, four blanks (three for 0x0A, 0x10 and 0x1A), the name.
std::string documentedLabel(int code, const std::string& name) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "0x%02X", code);
    bool three = code == 0x0A || code == 0x10 || code == 0x1A;
    return prefix + std::string(three ? "   " : "    ") + name;
}

TEST(UsageLists, EveryLabelReadsAsDocumented) {
    auto names = documentedNames();
    ASSERT_EQ(names.size(), 256u);
    auto full = usageLabels(UsageEdition::Full);
    auto shortList = usageLabels(UsageEdition::Short);
    ASSERT_EQ(full.size(), 256u);
    ASSERT_EQ(shortList.size(), 130u);
    for (int code = 0; code < 256; ++code) {
        std::string expected = documentedLabel(code, names[static_cast<size_t>(code)]);
        EXPECT_EQ(full[static_cast<size_t>(code)], expected);
        if (code < 130) {
            EXPECT_EQ(shortList[static_cast<size_t>(code)],
                      code == 0x81 ? "0x81    VolumeDown" : expected);
        }
    }
}

TEST(UsageLists, KeyButtonTextIsTheByteInTwoUpperCaseDigits) {
    const std::pair<uint8_t, const char*> cases[] = {{0x00, "0x00"}, {0x0F, "0x0F"},
                                                     {0x10, "0x10"}, {0xAB, "0xAB"},
                                                     {0xE0, "0xE0"}, {0xFF, "0xFF"}};
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(usageButtonText(code), text);
    }
}

TEST(UsageLists, NamesFindTheirCodeWithoutRegardToCase) {
    const std::pair<const char*, std::optional<uint8_t>> cases[] = {{"a", 0x04},
                                                                    {"A", 0x04},
                                                                    {"enter", 0x28},
                                                                    {"F13", 0x68},
                                                                    {"leftalt", 0xE2},
                                                                    {"1", 0x1E},
                                                                    {"0", 0x27},
                                                                    {"Reserved", 0x00},
                                                                    {"VolumneDown", 0x81},
                                                                    {"volumedown", 0x81},
                                                                    {"KEYPAD0", 0x62},
                                                                    {"Undefine", std::nullopt},
                                                                    {"", std::nullopt},
                                                                    {"nokey", std::nullopt},
                                                                    {"0x04", std::nullopt},
                                                                    {"a ", std::nullopt}};
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(usageCodeFromName(name), code) << '"' << name << '"';
    }
}

struct ModifierRow {
    int index;
    const char* label;
    uint8_t byte;
};

TEST(ModifierList, LabelsAndBytesMatchBothWays) {
    const ModifierRow rows[] = {
        {0, " None", 0x00},       {1, "Left  Ctrl", 0xE0},   {2, "Left Shift", 0xE1},
        {3, "Left    Alt", 0xE2}, {4, "Left   Gui", 0xE3},   {5, "Right  Ctrl", 0xE4},
        {6, "Right Shift", 0xE5}, {7, "Right    Alt", 0xE6}, {8, "Right   Gui", 0xE7}};
    ASSERT_EQ(kModifierLabels.size(), std::size(rows));
    for (const auto& row : rows) {
        EXPECT_EQ(kModifierLabels[static_cast<size_t>(row.index)], std::string(row.label));
        EXPECT_EQ(modifierByteFromIndex(row.index), row.byte) << row.index;
        EXPECT_EQ(modifierIndexFromByte(row.byte), row.index) << int(row.byte);
    }
}

TEST(ModifierList, BytesWithoutAnEntryReadAsNoModifier) {
    for (int byte : {0x01, 0x04, 0x80, 0xDF, 0xE8, 0xFF}) {
        EXPECT_EQ(modifierIndexFromByte(static_cast<uint8_t>(byte)), 0) << byte;
    }
    for (int index : {-1, 9, 100}) {
        EXPECT_EQ(modifierByteFromIndex(index), 0x00) << index;
    }
}

TEST(ModifierList, NamesFindTheirIndex) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"None", 0},        {"LeftCtrl", 1},         {"leftcontrol", 1},
        {"Left Shift", 2},  {"LEFTALT", 3},          {"LeftGui", 4},
        {"LeftGUI", 4},     {"RightCtrl", 5},        {"RightControl", 5},
        {"rightshift", 6},  {"RightAlt", 7},         {"RightGui", 8},
        {"", std::nullopt}, {"Shift", std::nullopt}, {"Undefine", std::nullopt}};
    for (const auto& [name, index] : cases) {
        EXPECT_EQ(modifierIndexFromName(name), index) << '"' << name << '"';
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
