#include "support/utf16_text.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lumora_usb_encoder {
namespace {

TEST(Utf8ToUtf16, ConvertsEveryLengthOfSequence) {
    const std::tuple<const char*, std::string, std::u16string> cases[] = {
        {"Empty", "", u""},
        {"Ascii", "USBUtilityCfg.ini", u"USBUtilityCfg.ini"},
        {"TwoBytes",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         u"Grüße"},
        {"ThreeBytes", "\xE2\x82\xAC \xE6\x97\xA5", u"€ 日"},
        {"FourBytesBecomeASurrogatePair", "\xF0\x9F\x94\x91", u"\U0001F511"},
        {"HighestCodePoint", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"NulInside", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& [name, utf8, utf16] : cases) {
        EXPECT_EQ(utf8ToUtf16(utf8), utf16) << name;
        EXPECT_EQ(utf16ToUtf8(utf16), utf8) << name << ": back";
    }
}

// A name that is no UTF-8 must fail, never turn into another name.
TEST(Utf8ToUtf16, RefusesWhatIsNoUtf8) {
    const std::tuple<const char*, std::string> cases[] = {
        {"LoneContinuation", "a\x80"},
        {"Latin1Byte", "K\xE4se"},
        {"CutShort", "\xE2\x82"},
        {"OverlongSlash", "\xC0\xAF"},
        {"OverlongThreeBytes", "\xE0\x80\xAF"},
        {"EncodedSurrogate", "\xED\xA0\x80"},
        {"AboveU10FFFF", "\xF4\x90\x80\x80"},
        {"LeadByteF5", "\xF5\x80\x80\x80"},
        {"ContinuationMissing", "\xC3(x"},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(utf8ToUtf16(bytes), std::nullopt) << name;
    }
}

TEST(Utf16ToUtf8, ALoneSurrogateBecomesTheReplacementCharacter) {
    const std::tuple<const char*, std::u16string, std::string> cases[] = {
        {"LoneHigh", std::u16string{u'a', char16_t(0xD83D)}, "a\xEF\xBF\xBD"},
        {"LoneLow", std::u16string{char16_t(0xDC11), u'b'},
         "\xEF\xBF\xBD"
         "b"},
        {"Reversed", std::u16string{char16_t(0xDD11), char16_t(0xD83D)},
         "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [name, utf16, utf8] : cases) {
        EXPECT_EQ(utf16ToUtf8(utf16), utf8) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
