#include "support/printable_text.h"

#include <gtest/gtest.h>

namespace lumora_usb_encoder {
namespace {

// A keypad's serial number or version shown on a terminal: what it must look like there.
TEST(PrintableText, EscapesWhatATerminalWouldObey) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"PlainSerial", "QK0000012345", "QK0000012345"},
        {"ColourEscape", "AB\x1b[31mCDEFG", "AB\\x1b[31mCDEFG"},
        {"NulAndDelete", std::string("A\0B\x7f", 4), "A\\x00B\\x7f"},
        {"LineBreaks", "A\r\nB", "A\\x0d\\x0aB"},
        {"AccentedLetterKept", "Caf\xc3\xa9", "Caf\xc3\xa9"},
        {"EmojiKept", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        {"C1ControlSequenceIntroducer",
         "A\xc2\x9b"
         "31m",
         "A\\xc2\\x9b31m"},
        {"EightBitControlByte",
         "A\x9b"
         "31m",
         "A\\x9b31m"},
        {"OverlongSlash", "\xc0\xaf", "\\xc0\\xaf"},
        {"Surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"BeyondUnicode", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
        {"CutAtTheEnd", "AB\xe2\x82", "AB\\xe2\\x82"},
    };
    for (const auto& [name, bytes, shown] : cases) {
        EXPECT_EQ(printableText(bytes), shown) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
