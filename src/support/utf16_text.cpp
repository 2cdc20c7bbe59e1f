#include "support/utf16_text.h"

namespace lumora_usb_encoder {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// How many bytes the sequence led by `lead` has; 0 for a continuation byte and for lead bytes
// that can only start an overlong form or a code point above U+10FFFF.
size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead < 0xE0) {
        return 2;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
        return 3;
    }
    return lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
}

// The code point at `text[at]`, advancing `at` past it; nullopt for anything ill-formed.
std::optional<char32_t> decodeOne(std::string_view text, size_t& at) {
    auto lead = static_cast<unsigned char>(text[at]);
    size_t length = sequenceLength(lead);
    if (length == 0 || text.size() - at < length) {
        return std::nullopt;
    }
    // The smallest value each length may carry: anything below is an overlong form.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(byte)) {
            return std::nullopt;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) {
        return std::nullopt;
    }
    at += length;
    return value;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        auto c = decodeOne(text, at);
        if (!c) {
            return std::nullopt;
        }
        if (*c < 0x10000) {
            result.push_back(static_cast<char16_t>(*c));
        } else {
            char32_t offset = *c - 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        }
    }
    return result;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        bool high = unit >= 0xD800 && unit < 0xDC00;
        bool lowFollows = i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (high && lowFollows) {
            appendUtf8(result, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else {
            appendUtf8(result, unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit);
        }
    }
    return result;
}

}  // namespace lumora_usb_encoder
