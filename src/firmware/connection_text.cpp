#include "firmware/connection_text.h"

#include <algorithm>
#include <cctype>

namespace lumora_usb_encoder {

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// At most `limit`; digits only in the given base.
bool parseNumber(std::string_view text, int base, uint32_t limit, uint32_t& value) {
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    uint64_t result = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
            digit = std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        }
        if (digit < 0) {
            return false;
        }
        result = result * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (result > limit) {
            return false;
        }
    }
    value = static_cast<uint32_t>(result);
    return true;
}

}  // namespace

bool parseConnectionText(std::string_view text, ConnectionTarget& target, std::string& error) {
    ConnectionTarget parsed;
    bool seenVid = false, seenPid = false, seenIndex = false;
    for (bool more = !text.empty(); more;) {
        size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        more = comma != std::string_view::npos;
        text = more ? text.substr(comma + 1) : std::string_view{};
        size_t equals = item.find('=');
        std::string key = upper(item.substr(0, equals));
        std::string_view value = equals == std::string_view::npos ? "" : item.substr(equals + 1);
        uint32_t number = 0;
        bool ok = false;
        if (key == "VID" && !seenVid) {
            ok = seenVid = parseNumber(value, 16, 0xFFFF, number);
            parsed.vendorId = static_cast<uint16_t>(number);
        } else if (key == "PID" && !seenPid) {
            ok = seenPid = parseNumber(value, 16, 0xFFFF, number);
            parsed.productId = static_cast<uint16_t>(number);
        } else if (key == "DEVICEINDEX" && !seenIndex) {
            ok = seenIndex = parseNumber(value, 10, 0xFFFF, number);
            parsed.deviceIndex = number;
        }
        if (!ok) {
            error = "bad connection item \"" + std::string(item) + "\"";
            return false;
        }
    }
    if (!seenVid || !seenPid) {
        error = "the connection text names no VID and PID";
        return false;
    }
    target = parsed;
    return true;
}

}  // namespace lumora_usb_encoder
