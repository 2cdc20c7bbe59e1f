#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/report_framing.h"

namespace lumora_usb_encoder {

enum class Command : uint8_t {
    Status = 1,
    LedBrightness = 2,
    LedColour = 3,
    Buzzer = 4,
    CodeTable = 5,
    BuzzerPeriod = 6,
    KeypadType = 7,
    SelfTest = 8,
    WriteDefaults = 9,
    FactoryReset = 10,
    Options = 11,
    UpgradeMode = 12,
    BuzzerStatus = 13,
    SerialNumber = 14,
};

inline constexpr int32_t kCommandTimeoutMs = 5000;
inline constexpr uint32_t kRestartWaitMs = 3000;  // after a command that restarts the keypad

struct Reply {
    std::array<uint8_t, kReportSize> data{};
    uint32_t length = 0;
};

// Sends one command on hid_handle, holding the exchange lock from reading the handle to the
// checked reply, and returns the framing result (0 success).
[[nodiscard]] int32_t sendCommand(Command command, std::span<const uint8_t> payload = {},
                                  Reply* reply = nullptr);
[[nodiscard]] int32_t sendByte(Command command, uint8_t value);

// Waits for a frame the keypad sends of its own accord (a key press during the self test).
[[nodiscard]] int32_t receiveFrame(Command command, Reply& reply,
                                   int32_t timeoutMs = kCommandTimeoutMs);

}  // namespace lumora_usb_encoder
