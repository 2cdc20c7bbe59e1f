#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "device/status_record.h"
#include "settings/keypad_settings.h"

// How the keypad's records print in a failing comparison: every field by name, so a failure
// says which one differs.
namespace lumora_usb_encoder {

namespace printing {
inline void bytes(std::ostream& os, const std::vector<uint8_t>& bytes) {
    os << "[";
    for (size_t i = 0; i < bytes.size(); ++i) {
        os << (i ? " " : "") << static_cast<int>(bytes[i]);
    }
    os << "]";
}
}  // namespace printing

inline std::ostream& operator<<(std::ostream& os, const KeypadSettings& s) {
    os << "{brightness " << int(s.ledBrightness) << ", colour " << int(s.ledColour);
    os << ", buzzer " << int(s.buzzer) << ", period " << int(s.buzzerPeriod);
    os << ", type " << int(s.keypadType) << ", options " << int(s.options);
    os << ", serial \"" << s.serialNumber << "\", table ";
    printing::bytes(os, s.codeTable);
    return os << "}";
}

inline std::ostream& operator<<(std::ostream& os, const DeviceStatus& s) {
    os << "{brightness " << int(s.ledBrightness) << ", colour " << int(s.ledColour);
    os << ", buzzer " << int(s.buzzer) << ", options " << int(s.options);
    os << ", period " << int(s.buzzerPeriod) << ", type " << int(s.keypadType);
    os << ", version \"" << s.firmwareVersion << "\", serial \"" << s.serialNumber;
    os << "\", table ";
    printing::bytes(os, s.codeTable);
    return os << "}";
}

}  // namespace lumora_usb_encoder
