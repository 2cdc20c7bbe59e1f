#include "codetable/modifier_list.h"

#include <cctype>
#include <string>

#include "codetable/usage_list.h"

namespace lumora_usb_encoder {

namespace {

std::string foldedWithoutBlanks(std::string_view text) {
    std::string folded;
    for (char c : text) {
        if (c != ' ') {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return folded;
}

}  // namespace

uint8_t modifierByteFromIndex(int index) {
    if (index < 1 || index >= static_cast<int>(kModifierCount)) {
        return 0x00;
    }
    return static_cast<uint8_t>(kModifierBase + index);
}

int modifierIndexFromByte(uint8_t modifier) {
    if (modifier >= 0xE0 && modifier <= 0xE7) {
        return modifier - kModifierBase;
    }
    return 0;
}

std::optional<int> modifierIndexFromName(std::string_view name) {
    std::string wanted = foldedWithoutBlanks(name);
    if (wanted.empty()) {
        return std::nullopt;
    }
    for (int index = 0; index < static_cast<int>(kModifierCount); ++index) {
        std::string usageName =
            index == 0
                ? ""
                : std::string(usageLabelName(kFullUsageLabels[modifierByteFromIndex(index)]));
        if (wanted == foldedWithoutBlanks(kModifierLabels[static_cast<size_t>(index)]) ||
            wanted == foldedWithoutBlanks(usageName)) {
            return index;
        }
    }
    return std::nullopt;
}

}  // namespace lumora_usb_encoder
