#pragma once

#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// Text a device sent (a serial number, a version, a product name) as it may be shown on a
// terminal or in a window: UTF-8 as it is, but control characters (C0, DEL, C1) and bytes that
// are not UTF-8 written as \xHH, so that an escape sequence in a serial number is seen rather
// than obeyed.
std::string printableText(std::string_view bytes);

}  // namespace lumora_usb_encoder
