#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "device/keypad_commands.h"
#include "device/report_framing.h"

namespace lumora_usb_encoder::testing {

// One command as it went to the keypad.
struct SentCommand {
    Command command = Command::Status;
    std::vector<uint8_t> payload;
    bool operator==(const SentCommand&) const = default;
};

inline const char* commandName(Command command) {
    switch (command) {
        case Command::Status:
            return "Status";
        case Command::LedBrightness:
            return "LedBrightness";
        case Command::LedColour:
            return "LedColour";
        case Command::Buzzer:
            return "Buzzer";
        case Command::CodeTable:
            return "CodeTable";
        case Command::BuzzerPeriod:
            return "BuzzerPeriod";
        case Command::KeypadType:
            return "KeypadType";
        case Command::SelfTest:
            return "SelfTest";
        case Command::WriteDefaults:
            return "WriteDefaults";
        case Command::FactoryReset:
            return "FactoryReset";
        case Command::Options:
            return "Options";
        case Command::UpgradeMode:
            return "UpgradeMode";
        case Command::BuzzerStatus:
            return "BuzzerStatus";
        case Command::SerialNumber:
            return "SerialNumber";
    }
    return "Unknown";
}

// "LedBrightness(5)", "CodeTable(0 4 225 5)": what a failing comparison prints.
inline std::ostream& operator<<(std::ostream& os, const SentCommand& sent) {
    os << commandName(sent.command);
    if (commandName(sent.command) == std::string("Unknown")) {
        os << "#" << static_cast<int>(sent.command);
    }
    os << "(";
    for (size_t i = 0; i < sent.payload.size(); ++i) {
        os << (i ? " " : "") << static_cast<int>(sent.payload[i]);
    }
    return os << ")";
}

inline void PrintTo(const SentCommand& sent, std::ostream* os) {
    *os << sent;
}

inline std::string describe(const std::vector<SentCommand>& sent) {
    std::ostringstream text;
    text << "{";
    for (size_t i = 0; i < sent.size(); ++i) {
        text << (i ? ", " : "") << sent[i];
    }
    text << "}";
    return text.str();
}

// Reads the command back out of an output report: report ID, size byte, STX, two hex digits of
// command, two of length, the payload. Nothing for a report that holds no whole command, such as
// the loader's, which carry no STX.
inline std::optional<SentCommand> decodeWritten(std::span<const uint8_t> bytes) {
    constexpr uint8_t kStx = 0x02;
    auto number = [&](size_t at) {
        return 16 * HexDigitToNibble(bytes[at]) + HexDigitToNibble(bytes[at + 1]);
    };
    if (bytes.size() < 7 || bytes[0] != kReportId || bytes[2] != kStx) {
        return std::nullopt;
    }
    if (7 + static_cast<size_t>(number(5)) > bytes.size()) {
        return std::nullopt;
    }
    auto payload = bytes.subspan(7, static_cast<size_t>(number(5)));
    return SentCommand{static_cast<Command>(number(3)), {payload.begin(), payload.end()}};
}

// Every command written in a program's --trace output, in order: how a test sees what another
// process sent.
inline std::vector<SentCommand> tracedCommands(const std::string& trace) {
    std::vector<SentCommand> sent;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("> ")) {
            continue;
        }
        std::istringstream hex(line.substr(2));
        std::vector<uint8_t> bytes;
        for (unsigned value = 0; hex >> std::hex >> value;) {
            bytes.push_back(static_cast<uint8_t>(value));
        }
        if (auto command = decodeWritten(bytes)) {
            sent.push_back(*command);
        }
    }
    return sent;
}

// The commands that change something: status reads left out.
inline std::vector<SentCommand> withoutStatusReads(const std::vector<SentCommand>& sent) {
    std::vector<SentCommand> changes;
    for (const auto& command : sent) {
        if (command.command != Command::Status) {
            changes.push_back(command);
        }
    }
    return changes;
}

}  // namespace lumora_usb_encoder::testing

namespace lumora_usb_encoder {

// A command code in a failing comparison, by name.
inline void PrintTo(Command command, std::ostream* os) {
    *os << testing::commandName(command);
}

}  // namespace lumora_usb_encoder
