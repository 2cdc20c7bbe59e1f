#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// Which loader device to open: "PID=0x0200,VID=0x2047,DEVICEINDEX=0".
struct ConnectionTarget {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint32_t deviceIndex = 0;
};

// Keys in any order and letter case, each once; VID and PID in hex (with or without 0x),
// DEVICEINDEX in decimal. False with `error` naming the bad item.
bool parseConnectionText(std::string_view text, ConnectionTarget& target, std::string& error);

}  // namespace lumora_usb_encoder
