#include "codetable/usage_speech.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "codetable/modifier_list.h"
#include "codetable/usage_list.h"

namespace lumora_usb_encoder {
namespace {

// Letters, digits and the window-level cases are covered where the editor is read aloud.
TEST(UsageSpeech, NamesReadAsWords) {
    const std::map<uint8_t, std::string> spoken = {
        {0x46, "Print Screen"}, {0x59, "Keypad 1"},           {0x68, "F13"},
        {0x81, "Volume Down"},  {0x86, "AS400 Keypad Equal"}, {0xE3, "Left GUI"}};
    for (const auto& [code, name] : spoken) {
        EXPECT_EQ(usageSpokenName(code), name) << int(code);
    }
    EXPECT_EQ(modifierSpokenName(0), "None");
    EXPECT_EQ(modifierSpokenName(8), "Right GUI");
    EXPECT_EQ(modifierSpokenName(9), "None");
}

// "a" is part of "0x0A   g", "1" of "0x01    ErrorRollOver" and "up" of "PageUp", all earlier
// in the list: the better match wins.
TEST(UsageSpeech, AWholeNameBeatsAStartWhichBeatsAPart) {
    const std::map<std::string, std::optional<size_t>> found = {
        {"a", 0x04},      {"1", 0x1E},           {"up", 0x52},        {"0X5", 0x50},
        {"padent", 0x58}, {"zzz", std::nullopt}, {"  ", std::nullopt}};
    for (const auto& [typed, entry] : found) {
        EXPECT_EQ(findListEntry(usageLabels(UsageEdition::Full), typed), entry) << typed;
    }
    EXPECT_EQ(findListEntry(kModifierLabels, "right alt"), 7u);
    EXPECT_EQ(findListEntry(usageLabels(UsageEdition::Short), "leftalt"), std::nullopt);
}

}  // namespace
}  // namespace lumora_usb_encoder
