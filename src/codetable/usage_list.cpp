#include "codetable/usage_list.h"

#include <algorithm>
#include <cctype>

namespace lumora_usb_encoder {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const char* const> usageLabels(UsageEdition edition) {
    if (edition == UsageEdition::Short) {
        return kShortUsageLabels;
    }
    return kFullUsageLabels;
}

std::string usageButtonText(uint8_t code) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'0', 'x', kHex[code >> 4], kHex[code & 0x0F]};
}

std::string_view usageLabelName(std::string_view label) {
    std::string_view rest = label.substr(std::min<size_t>(4, label.size()));
    return rest.substr(std::min(rest.find_first_not_of(' '), rest.size()));
}

std::optional<uint8_t> usageCodeFromName(std::string_view name) {
    std::optional<uint8_t> found;
    auto consider = [&](const char* label, size_t code) {
        if (!sameIgnoringCase(usageLabelName(label), name)) {
            return true;
        }
        if (found && *found != code) {
            return false;  // shared by several codes
        }
        found = usageByteFromPosition(code);
        return true;
    };
    for (size_t code = 0; code < kFullUsageCount; ++code) {
        if (!consider(kFullUsageLabels[code], code)) {
            return std::nullopt;
        }
    }
    if (!consider(kShortUsageLabels[0x81], 0x81)) {
        return std::nullopt;
    }
    return name.empty() ? std::nullopt : found;
}

}  // namespace lumora_usb_encoder
