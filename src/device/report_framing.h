#pragma once

#include <cstdint>
#include <span>

#include "device/hid_backend.h"

namespace lumora_usb_encoder {

using hid_device = hid::Device;

inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultNoDevice = -1;
inline constexpr int32_t kResultTimeout = -6;
inline constexpr int32_t kResultBadSize = -8;
inline constexpr int32_t kResultRefused = -13;
inline constexpr int32_t kParseFailed = -2;

inline constexpr int kReportSize = 64;
inline constexpr uint8_t kReportId = 0x3F;
inline constexpr int kMaxPayload = 55;  // BCC then lands on the last byte of the report
inline constexpr int kPollIntervalMs = 10;

uint8_t NibbleToHexDigit(uint8_t value);
uint8_t HexDigitToNibble(uint8_t digit);

// `frame` starts at report byte 2 and runs to the report's end. Returns 0 or -2: -2 also for a
// frame that would need bytes past `frame`'s end, or more reply bytes than `reply` holds. Nothing
// is ever written past `reply`; it may hold bytes of a bad frame; `replyLength` is written only
// on success.
[[nodiscard]] int32_t USBEncoderParseReply(std::span<const uint8_t> frame, std::span<uint8_t> reply,
                                           uint32_t* replyLength);

// One command and its checked reply. Serialised with every other exchange and rescan. Reports
// already waiting before the command is written are read and dropped, so that the reply taken
// can only be this command's. A reply that does not fit `reply` is refused (-13) like any frame
// we cannot take.
[[nodiscard]] int32_t USBEncoderSendAndReceive_a(hid_device* handle, uint8_t command,
                                                 std::span<const uint8_t> payload,
                                                 std::span<uint8_t> reply, uint32_t* replyLength,
                                                 int32_t timeoutMs);

// The read half alone: waits for a reply frame without writing anything.
[[nodiscard]] int32_t USBEncoderReceive_a(hid_device* handle, uint8_t command,
                                          std::span<uint8_t> reply, uint32_t* replyLength,
                                          int32_t timeoutMs);

}  // namespace lumora_usb_encoder
