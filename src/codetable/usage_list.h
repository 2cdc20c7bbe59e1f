#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// The usage lists from which a key's code is picked: the entry at position i is the label of
// usage code i of the Keyboard/Keypad page, "0xHH", a run of blanks, the name.
inline constexpr size_t kFullUsageCount = 256;   // 12- and 16-key editors
inline constexpr size_t kShortUsageCount = 130;  // small-keypad editor: codes 0x00-0x81

extern const std::array<const char*, kFullUsageCount> kFullUsageLabels;
extern const std::array<const char*, kShortUsageCount> kShortUsageLabels;

enum class UsageEdition { Full, Short };
std::span<const char* const> usageLabels(UsageEdition edition);

// List position to usage byte: the same number. Positions come from a list, so they fit a byte.
inline uint8_t usageByteFromPosition(size_t position) {
    return static_cast<uint8_t>(position);
}

// The text of a key button: "0x" and two upper-case hex digits, from the byte alone, so a code
// that the small keypads' list does not offer is still shown.
std::string usageButtonText(uint8_t code);

// The name part of a label: what follows the "0xHH" and its blanks.
std::string_view usageLabelName(std::string_view label);

// The code whose label name is `name`, compared without regard to letter case ("enter", "F13",
// "leftalt"); the short edition's "VolumeDown" is accepted too. A name several codes share
// ("Undefine") names none of them: nullopt, like an unknown name.
std::optional<uint8_t> usageCodeFromName(std::string_view name);

}  // namespace lumora_usb_encoder
