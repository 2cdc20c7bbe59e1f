#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "socket/codec.h"

// The requests a client sends over the socket wire protocol. Parsing is strict, so that two
// implementations written apart disagree loudly rather than half-understand each other.
namespace lumora_usb_encoder::hid::wire {

// READ may ask for more than one line can carry (the server then sends what fits); anything
// beyond this is nonsense for a HID report.
inline constexpr uint32_t kMaxReadRequest = 65535;
inline constexpr uint32_t kMaxTimeoutMs = 0x7FFFFFFF;

enum class Verb { Enumerate, Open, Write, Read, String, Close, Watch, Press };
enum class StringKind { Manufacturer, Product };

struct Request {
    Verb verb = Verb::Watch;
    uint16_t vendorId = 0;  // ENUMERATE; 0 matches any
    uint16_t productId = 0;
    std::string path;            // OPEN, PRESS
    uint32_t key = 0;            // PRESS, 1-16
    std::string handle;          // WRITE, READ, STRING, CLOSE: opaque, as the server issued it
    std::vector<uint8_t> bytes;  // WRITE, at least one
    uint32_t maxLength = 0;      // READ, at least one
    uint32_t timeoutMs = 0;      // READ; 0: do not wait
    StringKind which = StringKind::Manufacturer;  // STRING

    bool operator==(const Request&) const = default;
};

// `line` is without its '\n'. On failure `error` says what is wrong, fit to follow "ERR ".
bool parseRequest(std::string_view line, Request& request, std::string& error);
// Without the '\n'.
std::string formatRequest(const Request& request);

}  // namespace lumora_usb_encoder::hid::wire
