#include "codetable/usage_speech.h"

#include <array>
#include <cctype>

#include "codetable/modifier_list.h"
#include "codetable/usage_list.h"

namespace lumora_usb_encoder {

namespace {

constexpr uint8_t kFirstLetter = 0x04;
constexpr uint8_t kLastLetter = 0x1D;
constexpr uint8_t kFirstDigit = 0x1E;  // 1 ... 9, then 0
constexpr std::array<char, 10> kDigits = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
constexpr std::array<char, 10> kShiftedDigits = {'!', '@', '#', '$', '%', '^', '&', '*', '(', ')'};

bool isLower(char c) {
    return std::islower(static_cast<unsigned char>(c)) != 0;
}
bool isUpper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "PageUp" -> "Page Up", "Keypad1" -> "Keypad 1", "AS400KeypadEqual" -> "AS400 Keypad Equal";
// runs of capitals ("GUI", "POST") and "F13" stay whole.
std::string spaced(std::string_view name) {
    std::string words;
    for (size_t i = 0; i < name.size(); ++i) {
        char previous = i == 0 ? ' ' : name[i - 1];
        bool wordStart = (isUpper(name[i]) && (isLower(previous) || isDigit(previous))) ||
                         (isDigit(name[i]) && isLower(previous));
        if (wordStart) {
            words += ' ';
        }
        words += name[i];
    }
    return words;
}

std::string folded(std::string_view text) {
    std::string result;
    for (char c : text) {
        if (c != ' ') {
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return result;
}

// 0: the whole label or name, 1: the start of either, 2: anywhere, 3: not at all.
int matchTier(std::string_view label, const std::string& wanted) {
    std::string whole = folded(label);
    // The modifier labels have no code in front: the whole label is the name.
    std::string name = whole.starts_with("0x") ? folded(usageLabelName(label)) : whole;
    if (whole == wanted || name == wanted) {
        return 0;
    }
    if (whole.starts_with(wanted) || name.starts_with(wanted)) {
        return 1;
    }
    return whole.find(wanted) != std::string::npos ? 2 : 3;
}

}  // namespace

std::string usageSpokenName(uint8_t code) {
    if (code >= kFirstLetter && code <= kLastLetter) {
        char letter = static_cast<char>('a' + (code - kFirstLetter));
        return std::string{letter} + " and " +
               static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    }
    if (code >= kFirstDigit && code < kFirstDigit + kDigits.size()) {
        size_t digit = code - kFirstDigit;
        return std::string{kDigits[digit]} + " and " + kShiftedDigits[digit];
    }
    // The short list spells 0x81 right; the full one carries the product's old typo.
    std::span<const char* const> labels = code < kShortUsageCount ? usageLabels(UsageEdition::Short)
                                                                  : usageLabels(UsageEdition::Full);
    return spaced(usageLabelName(labels[code]));
}

std::string modifierSpokenName(int index) {
    if (index < 1 || index >= static_cast<int>(kModifierCount)) {
        return "None";
    }
    return usageSpokenName(modifierByteFromIndex(index));
}

const char* keyLookDescription(KeyLook look) {
    switch (look) {
        case KeyLook::Selected:
            return "selected";
        case KeyLook::Assigned:
            return "assigned";
        case KeyLook::Unselected:
            break;
    }
    return "not selected";
}

std::optional<size_t> findListEntry(std::span<const char* const> labels, std::string_view text) {
    std::string wanted = folded(text);
    if (wanted.empty()) {
        return std::nullopt;
    }
    std::optional<size_t> best;
    int bestTier = 3;
    for (size_t i = 0; i < labels.size() && bestTier > 0; ++i) {
        int tier = matchTier(labels[i], wanted);
        if (tier < bestTier) {
            best = i;
            bestTier = tier;
        }
    }
    return best;
}

}  // namespace lumora_usb_encoder
