#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"
#include "socket/codec.h"

// The answers and bus events a server sends over the socket wire protocol, parsed as strictly as
// the requests.
namespace lumora_usb_encoder::hid::wire {

// The most bytes a DATA answer can carry and still fit in one line.
inline constexpr uint32_t kMaxDataLength = (kMaxLineLength - 5) / 2;

enum class AnswerKind { Device, End, Ok, Err, Data, None, String, Arrival, Removal };

struct Answer {
    AnswerKind kind = AnswerKind::None;
    DeviceInfo device;           // DEVICE
    std::string token;           // OK's argument (handle or count; may be absent), event path
    std::string reason;          // ERR; may be empty
    std::vector<uint8_t> bytes;  // DATA, at least one
    std::u16string text;         // STRING

    bool operator==(const Answer& other) const;
};

// `line` is without its '\n'. On failure `error` says what is wrong.
bool parseAnswer(std::string_view line, Answer& answer, std::string& error);
// Without the '\n'. A device whose path is no token cannot be sent; that is the caller's check.
std::string formatAnswer(const Answer& answer);

}  // namespace lumora_usb_encoder::hid::wire
