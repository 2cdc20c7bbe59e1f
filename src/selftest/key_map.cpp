#include "selftest/key_map.h"

#include <algorithm>

#include "device/status_record.h"
#include "selftest/keyboard_report.h"

namespace lumora_usb_encoder::selftest {

namespace {

constexpr uint8_t kFirstRealKey = 0x04;  // 0x00-0x03: no key and the three error codes
constexpr uint8_t kLastSmallType = 2;
constexpr uint8_t kLastTwelveKeyType = 5;
constexpr uint8_t kLastSixteenKeyType = 8;
constexpr uint8_t kTwelveKeyDefault = 3;
constexpr uint8_t kSixteenKeyDefault = 6;

bool smallOrUnknown(uint8_t keypadType) {
    return keypadType <= kLastSmallType || keypadType > kLastSixteenKeyType;
}

}  // namespace

KeyMap KeyMap::functionKeys() {
    // F15 first: the picture each function key colours, as the small keypads have always shown.
    static constexpr int kButtons[] = {9, 10, 2, 6, 7, 8, 4, 5, 1, 3};
    KeyMap map;
    map.functionKeys_ = true;
    for (uint8_t usage = 0; usage < 0xFF; ++usage) {
        if (auto key = testKeyForUsage(usage)) {
            map.entries_.push_back({usage, {kButtons[key->number - 1], key->number}});
        }
    }
    return map;
}

KeyMap KeyMap::fromTable(std::span<const uint8_t> table, const std::vector<KeyPicture>& layout) {
    KeyMap map;
    size_t keys = std::min(table.size() / 2, layout.size());
    for (size_t i = 0; i < keys; ++i) {
        uint8_t usage = table[2 * i + 1];
        if (usage >= kFirstRealKey) {
            map.entries_.push_back({usage, {layout[i].button, static_cast<int>(i) + 1}});
        }
    }
    return map;
}

std::vector<KeyHit> KeyMap::hits(uint8_t usage) const {
    std::vector<KeyHit> found;
    for (const auto& entry : entries_) {
        if (entry.usage == usage) {
            found.push_back(entry.hit);
        }
    }
    return found;
}

uint8_t keyStageKeypadType(uint8_t keypadType) {
    if (smallOrUnknown(keypadType)) {
        return 0;
    }
    return keypadType <= kLastTwelveKeyType ? kTwelveKeyDefault : kSixteenKeyDefault;
}

KeyMap keyMapFor(uint8_t keypadType, uint8_t options, std::span<const uint8_t> table) {
    if (smallOrUnknown(keypadType)) {
        return KeyMap::functionKeys();
    }
    return KeyMap::fromTable(table, keyLayout(keypadType, options));
}

std::optional<KeyMap> readKeyStageMap(uint8_t keypadType, uint8_t options) {
    if (smallOrUnknown(keypadType)) {
        return KeyMap::functionKeys();
    }
    auto status = readDeviceStatus();
    if (!status) {
        return std::nullopt;
    }
    // The pictures are those of the keypad as the test found it; the table is the one it types
    // now, whatever type it reports.
    return keyMapFor(keypadType, options, status->codeTable);
}

std::string keysText(const std::vector<KeyHit>& hits) {
    std::string text;
    for (size_t i = 0; i < hits.size(); ++i) {
        text += i == 0 ? "key " : i + 1 == hits.size() ? " or " : ", ";
        text += std::to_string(hits[i].key);
    }
    return text;
}

}  // namespace lumora_usb_encoder::selftest
