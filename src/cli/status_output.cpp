#include "cli/status_output.h"

#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

namespace lumora_usb_encoder::cli {

namespace {

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::ostringstream text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        text << (i ? " " : "") << std::hex << std::setw(2) << std::setfill('0')
             << static_cast<int>(bytes[i]);
    }
    return text.str();
}

}  // namespace

void printStatus(std::ostream& out, const DeviceStatus& status, bool json) {
    KeypadFields fields;
    unpackStatus(status, fields);
    if (json) {
        nlohmann::json record = {
            {"ledBrightness", status.ledBrightness},
            {"ledColour", status.ledColour},
            {"buzzer", status.buzzer},
            {"options", status.options},
            {"buzzerPeriod", status.buzzerPeriod},
            {"keypadType", status.keypadType},
            {"codeTable", status.codeTable},
            {"firmwareVersion", status.firmwareVersion},
            {"serialNumber", status.serialNumber},
            {"variant", variantText(fields.noOfWayKeypad, fields.prev_keypadType_index)},
        };
        // Device texts are bytes: whatever the keypad sends, the output stays valid JSON.
        out << record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    for (const auto& line : connectedView(fields)) {
        out << line << '\n';
    }
    out << '\n'
        << "LED brightness   " << int{status.ledBrightness} << '\n'
        << "LED colour       " << int{status.ledColour} << '\n'
        << "Buzzer           " << (status.buzzer ? "on" : "off") << '\n'
        << "Buzzer period    " << int{status.buzzerPeriod} << '\n'
        << "Keypad type      " << int{status.keypadType} << '\n'
        << "Options          0x" << std::hex << std::setw(2) << std::setfill('0')
        << int{status.options} << std::dec << '\n'
        << "Code table       " << hexBytes(status.codeTable) << '\n';
}

bool printKeypadStatus(std::ostream& out, bool json) {
    auto status = readDeviceStatus();
    if (!status) {
        return false;
    }
    printStatus(out, *status, json);
    return true;
}

}  // namespace lumora_usb_encoder::cli
