#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// Text is UTF-8 everywhere inside the programs; Windows takes file names, device paths and
// command lines as UTF-16. These convert at that border and nowhere else.

// nullopt when `text` is not well-formed UTF-8 (a stray or missing continuation byte, an
// overlong form, an encoded surrogate, a code point above U+10FFFF): a file name must never
// quietly become another.
std::optional<std::u16string> utf8ToUtf16(std::string_view text);

// A lone surrogate (UTF-16 that is not well-formed) becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace lumora_usb_encoder
