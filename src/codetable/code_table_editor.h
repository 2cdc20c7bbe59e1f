#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codetable/editor_family.h"

namespace lumora_usb_encoder {

// The look of a key button, which is how the user sees the editing state of a key.
enum class KeyLook {
    Unselected,  // Red
    Selected,    // Orange: waiting for a code
    Assigned,    // Green: a code was chosen for it in this window
};

// The editing state of one code-table editor, without any window: the keys' current and loaded
// codes and modifiers, the two selection masks, which list is showing, and the payload that
// "Apply" sends. The window and quillonctl's `table set` both drive it, so the bytes they send
// are built in one place. Keys are numbered from 1.
class CodeTableEditor {
  public:
    explicit CodeTableEditor(const EditorFamily& family);

    // Takes key entries (modifier byte, usage byte per key, key 1 first) as the loaded values.
    // Entries the table does not reach load as zeros.
    void load(std::span<const uint8_t> table);

    void clickKey(int key);
    void clickModifier(int key);
    // A committed choice in the code list: every selected key takes the code.
    void chooseCode(int position);
    // A committed choice in the modifier list: every selected modifier button takes it.
    void chooseModifier(int index);
    // Back to the loaded values; the lists keep their visibility.
    void reset();

    // The code-table command's payload: the key entries, then zeros to the family's length.
    std::vector<uint8_t> payload() const;
    // Sends the payload with the code-table command; the framing result (0 success). What a
    // successful send carried is what the keypad holds from then on.
    int32_t apply();
    // Whether closing now would lose edits: the payload differs from the one loaded or, after a
    // successful Apply, from the one sent. Selections alone change nothing.
    bool hasUnappliedChanges() const { return payload() != applied_; }

    const EditorFamily& family() const { return *family_; }
    int keyCount() const { return family_->keyCount; }
    uint8_t code(int key) const { return at(key).code; }
    int modifier(int key) const { return at(key).modifier; }
    KeyLook look(int key) const { return at(key).look; }
    bool modifierSelected(int key) const { return (modSelected_ >> (key - 1)) & 1U; }
    uint32_t keySelected() const { return keySelected_; }
    uint32_t modSelected() const { return modSelected_; }
    bool codeListVisible() const { return codeListVisible_; }
    bool modifierListVisible() const { return modifierListVisible_; }

  private:
    struct Key {
        uint8_t code = 0;
        uint8_t originalCode = 0;
        int modifier = 0;  // index into the modifier list
        int originalModifier = 0;
        KeyLook look = KeyLook::Unselected;
    };
    const Key& at(int key) const { return keys_.at(static_cast<size_t>(key - 1)); }
    Key& at(int key) { return keys_.at(static_cast<size_t>(key - 1)); }
    bool validKey(int key) const { return key >= 1 && key <= keyCount(); }
    static uint32_t bit(int key) { return 1U << (key - 1); }

    const EditorFamily* family_;
    std::vector<Key> keys_;
    uint32_t keySelected_ = 0;
    uint32_t modSelected_ = 0;
    bool codeListVisible_ = false;
    bool modifierListVisible_ = false;
    std::vector<uint8_t> applied_;  // the payload the keypad holds, as far as this editor knows
};

}  // namespace lumora_usb_encoder
