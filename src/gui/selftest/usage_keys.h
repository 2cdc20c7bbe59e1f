#pragma once

#include <cstdint>
#include <optional>

namespace lumora_usb_encoder {

// Keyboard usage codes and the keys Qt reports for them, for the codes a keypad's table is
// likely to type: letters, digits, Enter to Space, punctuation, F1 to F24, the editing and
// arrow keys. Keypad codes are left out: Qt reports them as the digits they type.

// The Qt key for a usage code; 0 for a code not carried.
int qtKeyForUsage(uint8_t usage);
// The usage code of a Qt key; nullopt for a key not carried.
std::optional<uint8_t> usageForQtKey(int qtKey);

}  // namespace lumora_usb_encoder
