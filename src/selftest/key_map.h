#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "selftest/key_layout.h"

namespace lumora_usb_encoder::selftest {

// A key picture that a typed code lights, and the key it stands for.
struct KeyHit {
    int button = 0;  // 1-16
    int key = 0;     // the key's entry in the table typed from, counted from 1
    bool operator==(const KeyHit&) const = default;
};

// Which key pictures each usage code typed during the self test lights.
class KeyMap {
  public:
    // The small keypads' fixed table: F15 to F24 (keys 1 to 10 of their default table), each
    // to its one picture, the same for every layout and options byte.
    static KeyMap functionKeys();
    // Each key entry of `table` (modifier byte, usage byte) to the picture of that key, the
    // layout's pictures being in key order. A table may give two keys the same code: the code
    // then lights both, since nothing typed tells them apart. Entries past the layout and
    // entries that type no key are left out.
    static KeyMap fromTable(std::span<const uint8_t> table, const std::vector<KeyPicture>& layout);

    // The pictures `usage` lights, in key order; empty for a code no key types.
    std::vector<KeyHit> hits(uint8_t usage) const;
    // The fixed F15-F24 table, whose pictures keep their own colours.
    bool functionKeyTable() const { return functionKeys_; }
    bool operator==(const KeyMap&) const = default;

  private:
    struct Entry {
        uint8_t usage = 0;
        KeyHit hit;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries_;
    bool functionKeys_ = false;
};

// The keypad type the key stage switches to. The small keypads (and a type no family owns) go
// to the default table 0, which types F15 to F24. A 12- or 16-key keypad goes to its own
// family's default table (3, 6): the small keypads' table has ten entries, so on these keypads
// it would leave keys untested and light pictures of other keys.
uint8_t keyStageKeypadType(uint8_t keypadType);

// What the pictures of a keypad of `keypadType` and `options` light while `table` is typed:
// the fixed table for small keypads and unknown types, else the table's own keys.
KeyMap keyMapFor(uint8_t keypadType, uint8_t options, std::span<const uint8_t> table);

// After the switch to keyStageKeypadType: the map of the table now in use, read from the keypad
// when it is a 12- or 16-key keypad; nullopt when that read fails.
std::optional<KeyMap> readKeyStageMap(uint8_t keypadType, uint8_t options);

// "key 16", or "key 6 or 16" for a code two keys type; "" for none.
std::string keysText(const std::vector<KeyHit>& hits);

}  // namespace lumora_usb_encoder::selftest
