#include <gtest/gtest.h>

#include "device/socket_codec.h"

namespace lumora_usb_encoder::hid::wire {
namespace {

struct HexCase {
    const char* text;
    bool valid;
    std::vector<uint8_t> bytes;
};

TEST(SocketCodec, HexTakesEitherCaseAndRefusesAnythingElse) {
    const HexCase cases[] = {
        {"", true, {}},       {"3f40", true, {0x3F, 0x40}}, {"aBcD", true, {0xAB, 0xCD}},
        {"abc", false, {}},    // odd count
        {"0g", false, {}},     // not a digit
        {"0x3f", false, {}},   // no prefixes
        {"3f 40", false, {}},  // no separators
    };
    for (const auto& c : cases) {
        auto bytes = decodeHex(c.text);
        ASSERT_EQ(bytes.has_value(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(*bytes, c.bytes) << c.text;
        }
    }
    const uint8_t sent[] = {0x00, 0xAB, 0xFF};
    EXPECT_EQ(encodeHex(sent, 3), "00abff");  // lower case on the way out
}

struct TextCase {
    std::u16string text;
    const char* field;
};

TEST(SocketCodec, TextTravelsAsUtf8InHex) {
    const TextCase cases[] = {
        {u"", "-"},
        {u"Vorla", "566f726c61"},
        {u"\u00e9", "c3a9"},
        {u"\u20ac", "e282ac"},
        {u"\U0001F600", "f09f9880"},  // a surrogate pair is one four-byte sequence
        {u"\U0010FFFF", "f48fbfbf"},  // the last code point; one more is refused below
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodeText(c.text), c.field);
        EXPECT_EQ(decodeText(c.field), c.text) << c.field;
    }
    // An unpaired surrogate has no UTF-8 form; it goes out as U+FFFD.
    EXPECT_EQ(encodeText(std::u16string(1, char16_t(0xD800))), "efbfbd");
}

TEST(SocketCodec, MalformedTextIsRefused) {
    const char* cases[] = {
        "",          // empty text is "-", never empty hex
        "--",        //
        "c0af",      // overlong '/'
        "eda080",    // an encoded surrogate
        "f4908080",  // above U+10FFFF
        "c3",        // sequence cut short
        "80",        // continuation byte alone
        "e282",      // three-byte sequence cut short
        "f8888080",  // five-byte lead
        "c3a",       // odd hex
    };
    for (const char* field : cases) {
        EXPECT_FALSE(decodeText(field).has_value()) << field;
    }
}

TEST(SocketCodec, NumbersAndIdsAreStrict) {
    EXPECT_EQ(decodeId("2047"), 0x2047);
    EXPECT_EQ(decodeId("09bf"), 0x09BF);
    EXPECT_EQ(decodeId("09BF"), 0x09BF);
    for (const char* bad : {"9bf", "009bf", "09bg", ""}) {
        EXPECT_FALSE(decodeId(bad).has_value()) << bad;
    }
    EXPECT_EQ(decodeCount("0", 10), 0u);
    EXPECT_EQ(decodeCount("4294967295", 0xFFFFFFFF), 0xFFFFFFFFu);
    for (const char* bad : {"", "+1", "-1", " 1", "11", "99999999999", "1e3"}) {
        EXPECT_FALSE(decodeCount(bad, 10).has_value()) << bad;
    }
    EXPECT_EQ(decodeInterface("-1"), -1);
    EXPECT_EQ(decodeInterface("1"), 1);
    for (const char* bad : {"-", "--1", "x"}) {
        EXPECT_FALSE(decodeInterface(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::hid::wire
