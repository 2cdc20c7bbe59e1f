#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumora_usb_encoder::selftest {

// An input report of a boot keyboard, as the keypad's keyboard interface sends it.
struct BootKeyboardReport {
    uint8_t modifiers = 0;  // one bit per modifier key, LeftControl first
    std::array<uint8_t, 6> keys{};
    bool operator==(const BootKeyboardReport&) const = default;
};
inline constexpr size_t kBootReportSize = 8;

// nullopt, with the reason in `error`, for anything but an 8-byte report.
std::optional<BootKeyboardReport> decodeBootReport(std::span<const uint8_t> data,
                                                   std::string& error);

// The usage codes down in `now` that were not down in `before`. A report that only says "too
// many keys at once" (every slot ErrorRollOver) presses nothing.
std::vector<uint8_t> newlyPressed(const BootKeyboardReport& before, const BootKeyboardReport& now);

// The keys the self test listens for: F15 to F24, the default table's codes for keys 1 to 10.
struct TestKey {
    int number = 0;  // 1-10
    std::string name;
};
std::optional<TestKey> testKeyForUsage(uint8_t usage);

}  // namespace lumora_usb_encoder::selftest
