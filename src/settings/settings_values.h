#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// The settings file keeps 20 code table bytes, the first ten keys, whatever the keypad's size.
inline constexpr size_t kStoredTableBytes = 20;
using StoredTable = std::array<uint8_t, kStoredTableBytes>;

// A stored number: decimal digits, blanks around them allowed, 0-255. Anything else (empty
// text, a sign, other characters, a larger number) is unreadable: nullopt.
std::optional<uint8_t> parseSettingByte(std::string_view text);

// "CodeTableValues": split at every comma; the first 20 pieces must each be a stored number.
// What follows the twentieth comma (an empty piece, for a file this program wrote) is not read.
std::optional<StoredTable> parseCodeTableValues(std::string_view text);

// Each byte as a decimal number followed by a comma.
std::string formatCodeTableValues(std::span<const uint8_t> bytes);

}  // namespace lumora_usb_encoder
