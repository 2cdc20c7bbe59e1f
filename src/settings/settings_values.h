#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora_usb_encoder {

// "CodeTableValues" holds the whole table of the keypad's type: 20, 24 or 32 numbers. Files
// of the small keypads' days hold 20, which every keypad still takes.
inline constexpr size_t kMinimumTableNumbers = 20;
inline constexpr size_t kMaximumTableNumbers = 32;

// A stored number: decimal digits, blanks around them allowed, 0-255. Anything else (empty
// text, a sign, other characters, a larger number) is unreadable: nullopt.
std::optional<uint8_t> parseSettingByte(std::string_view text);

// "CodeTableValues": split at every comma; the first 20 pieces must each be a stored number.
// Further pieces belong to the table while they are numbers, up to 32 in all; the first piece
// that is not (the empty one after the last comma this program writes) ends it.
std::optional<std::vector<uint8_t>> parseCodeTableValues(std::string_view text);

// Each byte as a decimal number followed by a comma.
std::string formatCodeTableValues(std::span<const uint8_t> bytes);

}  // namespace lumora_usb_encoder
