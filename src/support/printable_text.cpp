#include "support/printable_text.h"

#include <cstdint>

namespace lumora_usb_encoder {

namespace {

void appendEscaped(std::string& out, uint8_t byte) {
    static const char* digits = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

// The length of the UTF-8 sequence at the start of `text` (1-4), or 0 when none starts there:
// a lone continuation byte, a cut or overlong sequence, a surrogate, a code point past U+10FFFF.
size_t sequenceLength(std::string_view text) {
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t lead = byte(0);
    size_t length = lead < 0x80   ? 1
                    : lead < 0xC2 ? 0
                    : lead < 0xE0 ? 2
                    : lead < 0xF0 ? 3
                    : lead < 0xF5 ? 4
                                  : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    uint8_t second = length > 1 ? byte(1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

bool isControl(std::string_view sequence) {
    auto lead = static_cast<uint8_t>(sequence[0]);
    if (sequence.size() == 1) {
        return lead < 0x20 || lead == 0x7F;
    }
    // U+0080-U+009F: C2 80 to C2 9F.
    return sequence.size() == 2 && lead == 0xC2 && static_cast<uint8_t>(sequence[1]) < 0xA0;
}

}  // namespace

std::string printableText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        size_t length = sequenceLength(bytes);
        if (length == 0) {
            appendEscaped(out, static_cast<uint8_t>(bytes[0]));
            bytes.remove_prefix(1);
            continue;
        }
        std::string_view sequence = bytes.substr(0, length);
        if (isControl(sequence)) {
            for (char c : sequence) {
                appendEscaped(out, static_cast<uint8_t>(c));
            }
        } else {
            out += sequence;
        }
        bytes.remove_prefix(length);
    }
    return out;
}

}  // namespace lumora_usb_encoder
