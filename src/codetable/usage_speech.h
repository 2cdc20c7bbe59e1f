#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "codetable/code_table_editor.h"

namespace lumora_usb_encoder {

// What a screen reader and a tooltip say for a code, a modifier and a key's state. The list
// labels are written for the eye ("0x2F    LeftBracket"); these read aloud as words.

// "a and A", "1 and !", "Enter", "Print Screen", "Keypad 1", "F13".
std::string usageSpokenName(uint8_t code);

// "None" for index 0, else the modifier key's usage ("Left Alt", "Right GUI").
std::string modifierSpokenName(int index);

// The meaning of the key colours: "not selected", "selected", "assigned".
const char* keyLookDescription(KeyLook look);

// The entry of `labels` that typing `text` finds: any part of the label counts, letter case and
// blanks aside ("f13", "enter", "0x28", "left alt"). A whole name or a whole label beats a label
// or name that starts with the text, which beats one that merely contains it; among equals the
// first in the list wins. nullopt when nothing matches or the text is blank.
std::optional<size_t> findListEntry(std::span<const char* const> labels, std::string_view text);

}  // namespace lumora_usb_encoder
