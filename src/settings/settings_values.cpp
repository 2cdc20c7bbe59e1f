#include "settings/settings_values.h"

namespace lumora_usb_encoder {

namespace {

std::string_view withoutBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<uint8_t> parseSettingByte(std::string_view text) {
    std::string_view digits = withoutBlanks(text);
    if (digits.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {  // checked at every digit, so a long run of digits cannot overflow
            return std::nullopt;
        }
    }
    return static_cast<uint8_t>(value);
}

std::optional<std::vector<uint8_t>> parseCodeTableValues(std::string_view text) {
    std::vector<uint8_t> table;
    while (table.size() < kMaximumTableNumbers) {
        size_t comma = text.find(',');
        auto value = parseSettingByte(text.substr(0, comma));
        if (!value) {
            break;
        }
        table.push_back(*value);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (table.size() < kMinimumTableNumbers) {
        return std::nullopt;
    }
    return table;
}

std::string formatCodeTableValues(std::span<const uint8_t> bytes) {
    std::string text;
    for (uint8_t byte : bytes) {
        text += std::to_string(byte);
        text += ',';
    }
    return text;
}

}  // namespace lumora_usb_encoder
