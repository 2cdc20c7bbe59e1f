#pragma once

#include <array>
#include <cstdint>

namespace lumora_usb_encoder {

namespace detail {
constexpr std::array<int8_t, 256> hexDigitValues() {
    std::array<int8_t, 256> values{};
    for (int c = 0; c < 256; ++c) {
        values[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                    : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                    : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                                           : int8_t{-1};
    }
    return values;
}
inline constexpr std::array<int8_t, 256> kHexDigitValues = hexDigitValues();
}  // namespace detail

// The value of one hexadecimal digit of either case, or -1 for any other character. For text
// from outside (socket lines, firmware images), where a bad digit must be told, not read as 0.
// A table, because a firmware image or a line of report bytes runs thousands of digits through
// here.
constexpr int hexDigitValue(char c) {
    return detail::kHexDigitValues[static_cast<unsigned char>(c)];
}

}  // namespace lumora_usb_encoder
