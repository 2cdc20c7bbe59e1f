#include "selftest/keyboard_report.h"

#include <algorithm>

namespace lumora_usb_encoder::selftest {

namespace {
constexpr uint8_t kErrorRollOver = 0x01;
constexpr uint8_t kFirstRealKey = 0x04;  // 0x00-0x03: no key and the three error codes
constexpr uint8_t kUsageF15 = 0x6A;
constexpr int kTestKeys = 10;
}  // namespace

std::optional<BootKeyboardReport> decodeBootReport(std::span<const uint8_t> data,
                                                   std::string& error) {
    if (data.size() != kBootReportSize) {
        error = "keyboard report of " + std::to_string(data.size()) + " bytes, not " +
                std::to_string(kBootReportSize);
        return std::nullopt;
    }
    BootKeyboardReport report;
    report.modifiers = data[0];
    std::copy(data.begin() + 2, data.end(), report.keys.begin());
    return report;
}

std::vector<uint8_t> newlyPressed(const BootKeyboardReport& before, const BootKeyboardReport& now) {
    std::vector<uint8_t> pressed;
    if (now.keys[0] == kErrorRollOver) {
        return pressed;
    }
    for (uint8_t usage : now.keys) {
        bool wasDown =
            std::find(before.keys.begin(), before.keys.end(), usage) != before.keys.end();
        if (usage >= kFirstRealKey && !wasDown &&
            std::find(pressed.begin(), pressed.end(), usage) == pressed.end()) {
            pressed.push_back(usage);
        }
    }
    return pressed;
}

std::optional<TestKey> testKeyForUsage(uint8_t usage) {
    if (usage < kUsageF15 || usage >= kUsageF15 + kTestKeys) {
        return std::nullopt;
    }
    int number = usage - kUsageF15 + 1;
    return TestKey{number, "F" + std::to_string(14 + number)};
}

}  // namespace lumora_usb_encoder::selftest
