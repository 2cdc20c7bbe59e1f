#include "codetable/code_table_editor.h"

#include <utility>

#include "codetable/modifier_list.h"
#include "device/keypad_commands.h"

namespace lumora_usb_encoder {

CodeTableEditor::CodeTableEditor(const EditorFamily& family)
    : family_(&family), keys_(static_cast<size_t>(family.keyCount)) {}

void CodeTableEditor::load(std::span<const uint8_t> table) {
    for (int n = 1; n <= keyCount(); ++n) {
        size_t entry = 2 * static_cast<size_t>(n - 1);
        uint8_t modifierByte = entry < table.size() ? table[entry] : 0;
        uint8_t usage = entry + 1 < table.size() ? table[entry + 1] : 0;
        at(n) = Key{usage, usage, modifierIndexFromByte(modifierByte),
                    modifierIndexFromByte(modifierByte), KeyLook::Unselected};
    }
    keySelected_ = 0;
    modSelected_ = 0;
    codeListVisible_ = false;
    modifierListVisible_ = false;
    applied_ = payload();
}

void CodeTableEditor::clickKey(int key) {
    if (!validKey(key)) {
        return;
    }
    if ((keySelected_ & bit(key)) == 0) {
        at(key).look = KeyLook::Selected;
        codeListVisible_ = true;
        modifierListVisible_ = false;
    } else {
        // A second click gives the key up, also one that was assigned before.
        at(key).look = KeyLook::Unselected;
    }
    keySelected_ ^= bit(key);
}

void CodeTableEditor::clickModifier(int key) {
    if (!validKey(key)) {
        return;
    }
    if ((modSelected_ & bit(key)) == 0) {
        modifierListVisible_ = true;
        codeListVisible_ = false;
    }
    modSelected_ ^= bit(key);
}

void CodeTableEditor::chooseCode(int position) {
    codeListVisible_ = false;
    if (position < 0 || position >= static_cast<int>(usageLabels(family_->edition).size())) {
        return;
    }
    for (int n = 1; n <= keyCount(); ++n) {
        if (keySelected_ & bit(n)) {
            at(n).code = usageByteFromPosition(static_cast<size_t>(position));
            at(n).look = KeyLook::Assigned;
        }
    }
    keySelected_ = 0;
}

void CodeTableEditor::chooseModifier(int index) {
    modifierListVisible_ = false;
    if (index < 0 || index >= static_cast<int>(kModifierCount)) {
        return;
    }
    for (int n = 1; n <= keyCount(); ++n) {
        if (modSelected_ & bit(n)) {
            at(n).modifier = index;
        }
    }
    modSelected_ = 0;
}

void CodeTableEditor::reset() {
    for (auto& key : keys_) {
        key.code = key.originalCode;
        key.modifier = key.originalModifier;
        key.look = KeyLook::Unselected;
    }
    keySelected_ = 0;
    modSelected_ = 0;
}

std::vector<uint8_t> CodeTableEditor::payload() const {
    std::vector<uint8_t> bytes(family_->payloadLength, 0);
    for (int n = 1; n <= keyCount(); ++n) {
        size_t entry = 2 * static_cast<size_t>(n - 1);
        bytes.at(entry) = modifierByteFromIndex(at(n).modifier);
        bytes.at(entry + 1) = at(n).code;
    }
    return bytes;
}

int32_t CodeTableEditor::apply() {
    auto bytes = payload();
    int32_t result = sendCommand(Command::CodeTable, bytes);
    if (result == 0) {
        applied_ = std::move(bytes);
    }
    return result;
}

}  // namespace lumora_usb_encoder
