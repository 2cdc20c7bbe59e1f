#pragma once

namespace lumora_usb_encoder {

// The value of one hexadecimal digit of either case, or -1 for any other character. For text
// from outside (socket lines, firmware images), where a bad digit must be told, not read as 0.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace lumora_usb_encoder
