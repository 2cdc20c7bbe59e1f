#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumora_usb_encoder::selftest {

// One key picture of the self-test window: button1 to button16, and its caption.
struct KeyPicture {
    int button = 0;
    std::string text;
    bool grey = false;  // the small keypad's pictures are grey
    bool operator==(const KeyPicture&) const = default;
};

// The pictures shown for a keypad type and its whole options byte, in button order.
std::vector<KeyPicture> keyLayout(uint8_t keypadType, uint8_t options);

}  // namespace lumora_usb_encoder::selftest
