#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumora_usb_encoder {

// The modifier list: position = modifier index. The blanks inside the labels are part of them.
inline constexpr size_t kModifierCount = 9;
inline constexpr std::array<const char*, kModifierCount> kModifierLabels = {
    " None",       "Left  Ctrl",  "Left Shift",   "Left    Alt", "Left   Gui",
    "Right  Ctrl", "Right Shift", "Right    Alt", "Right   Gui"};

// The modifier byte is the usage code of the modifier key (0xE0-0xE7), not a bit mask, and index
// i from 1 stands for 0xDF + i; index 0 is no modifier, byte 0x00.
inline constexpr uint8_t kModifierBase = 0xDF;

// Index 0-8 to byte; an index outside the list sends no modifier.
uint8_t modifierByteFromIndex(int index);

// Byte to index. A byte that is neither 0x00 nor 0xE0-0xE7 has no entry in the list; it reads as
// index 0 (" None"), silently, and is then sent as 0x00 if the key is applied.
int modifierIndexFromByte(uint8_t modifier);

// The index a modifier name stands for, letter case aside: a label with its blanks taken out
// ("LeftCtrl", "RightGui", "None") or the key's usage name ("LeftControl", "RightGUI").
std::optional<int> modifierIndexFromName(std::string_view name);

}  // namespace lumora_usb_encoder
