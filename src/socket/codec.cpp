#include "socket/codec.h"
#include "support/hex_digits.h"

namespace lumora_usb_encoder::hid::wire {

namespace {

constexpr char kDigits[] = "0123456789abcdef";
constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp) {
    auto put = [&out](uint32_t byte) { out.push_back(static_cast<char>(byte)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

std::string toUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// Decodes one sequence starting at bytes[i]; advances i. Nothing for a malformed sequence.
std::optional<char32_t> nextCodePoint(const std::vector<uint8_t>& bytes, size_t& i) {
    uint8_t lead = bytes[i++];
    if (lead < 0x80) {
        return lead;
    }
    // Sequence length, payload bits of the lead byte, smallest code point of that length.
    struct Form {
        uint8_t mask, pattern;
        size_t extra;
        char32_t minimum;
    };
    static constexpr Form kForms[] = {
        {0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
    const Form* form = nullptr;
    for (const Form& candidate : kForms) {
        if ((lead & candidate.mask) == candidate.pattern) {
            form = &candidate;
        }
    }
    if (form == nullptr) {
        return std::nullopt;
    }
    size_t extra = form->extra;
    char32_t minimum = form->minimum;
    char32_t cp = lead & static_cast<uint8_t>(~form->mask);
    if (bytes.size() - i < extra) {
        return std::nullopt;
    }
    for (size_t k = 0; k < extra; ++k) {
        uint8_t next = bytes[i++];
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    return cp;
}

}  // namespace

std::string encodeHex(const uint8_t* data, size_t length) {
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0x0F]);
    }
    return out;
}

std::optional<std::vector<uint8_t>> decodeHex(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = hexDigitValue(text[i]);
        int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string encodeText(const std::u16string& text) {
    if (text.empty()) {
        return "-";
    }
    std::string utf8 = toUtf8(text);
    return encodeHex(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size());
}

std::optional<std::u16string> decodeText(std::string_view field) {
    if (field == "-") {
        return std::u16string();
    }
    auto bytes = decodeHex(field);
    // An empty text has its own spelling; empty hex is no field at all.
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    std::u16string text;
    for (size_t i = 0; i < bytes->size();) {
        auto cp = nextCodePoint(*bytes, i);
        if (!cp) {
            return std::nullopt;
        }
        if (*cp >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((*cp - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((*cp - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(*cp));
        }
    }
    return text;
}

std::string encodeId(uint16_t id) {
    uint8_t bytes[2] = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id & 0xFF)};
    return encodeHex(bytes, 2);
}

std::optional<uint16_t> decodeId(std::string_view field) {
    if (field.size() != 4) {
        return std::nullopt;
    }
    auto bytes = decodeHex(field);
    if (!bytes) {
        return std::nullopt;
    }
    return static_cast<uint16_t>((*bytes)[0] << 8 | (*bytes)[1]);
}

std::optional<uint32_t> decodeCount(std::string_view field, uint32_t maxValue) {
    // Ten digits already exceed any 32-bit maximum worth asking for; stopping there keeps the
    // arithmetic below from overflowing.
    if (field.empty() || field.size() > 10) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > maxValue) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<int> decodeInterface(std::string_view field) {
    bool negative = !field.empty() && field.front() == '-';
    auto magnitude = decodeCount(negative ? field.substr(1) : field, 0x7FFFFFFF);
    if (!magnitude) {
        return std::nullopt;
    }
    int value = static_cast<int>(*magnitude);
    return negative ? -value : value;
}

bool checkLine(std::string_view line, std::string& error) {
    if (line.size() > kMaxLineLength) {
        error = "line too long";
        return false;
    }
    for (char c : line) {
        if (c < ' ' || c > '~') {
            error = "bad character in line";
            return false;
        }
    }
    return true;
}

std::optional<Fields> splitLine(std::string_view line, std::string& error) {
    if (!checkLine(line, error)) {
        return std::nullopt;
    }
    Fields fields;
    size_t start = 0;
    for (;;) {
        size_t blank = line.find(' ', start);
        std::string_view field = line.substr(start, blank - start);
        if (field.empty()) {
            error = "empty field";
            return std::nullopt;
        }
        fields.push_back(field);
        if (blank == std::string_view::npos) {
            return fields;
        }
        start = blank + 1;
    }
}

bool isToken(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    for (char c : field) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

}  // namespace lumora_usb_encoder::hid::wire
