#pragma once

#include <cstdint>

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

// `frame` points at report byte 2 and must have the 62 bytes up to the report's end behind it.
// Returns 0 or -2; `reply` may hold bytes of a bad frame, `replyLength` is written on success.
int32_t USBEncoderParseReply(const uint8_t* frame, uint8_t* reply, uint32_t* replyLength);

// One command and its checked reply. Serialised with every other exchange and rescan.
int32_t USBEncoderSendAndReceive_a(hid_device* handle, uint8_t command, const uint8_t* payload,
                                   int32_t payloadLength, uint8_t* reply, int32_t replyCapacity,
                                   uint32_t* replyLength, int32_t timeoutMs);

// The read half alone: waits for a reply frame without writing anything.
int32_t USBEncoderReceive_a(hid_device* handle, uint8_t command, uint8_t* reply,
                            int32_t replyCapacity, uint32_t* replyLength, int32_t timeoutMs);

}  // namespace lumora_usb_encoder
