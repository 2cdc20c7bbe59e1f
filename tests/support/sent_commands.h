#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/report_framing.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::testing {

// One command as it went to the keypad.
struct SentCommand {
    int command = 0;
    std::vector<uint8_t> payload;
    bool operator==(const SentCommand&) const = default;
};

inline void PrintTo(const SentCommand& sent, std::ostream* os) {
    *os << "{" << sent.command << ":";
    for (uint8_t b : sent.payload) {
        *os << " " << int(b);
    }
    *os << "}";
}

// Reads the command back out of a traced output report: report ID, size byte, STX, two hex
// digits of command, two of length, the payload.
inline std::optional<SentCommand> decodeWritten(const std::string& line) {
    std::istringstream hex(line.substr(line.starts_with('>') ? 1 : line.size()));
    std::vector<uint8_t> bytes;
    for (unsigned value = 0; hex >> std::hex >> value;) {
        bytes.push_back(static_cast<uint8_t>(value));
    }
    auto number = [&](size_t at) {
        return 16 * HexDigitToNibble(bytes[at]) + HexDigitToNibble(bytes[at + 1]);
    };
    if (bytes.size() < 7 || 7 + static_cast<size_t>(number(5)) > bytes.size()) {
        return std::nullopt;
    }
    return SentCommand{number(3),
                       std::vector<uint8_t>(bytes.begin() + 7, bytes.begin() + 7 + number(5))};
}

// Every command written in a --trace log, in order.
inline std::vector<SentCommand> tracedCommands(const std::string& trace) {
    std::vector<SentCommand> sent;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (auto command = decodeWritten(line)) {
            sent.push_back(*command);
        }
    }
    return sent;
}

// The simulated keypad of `spec`; a spec the test got wrong ends the test.
inline sim::Simulation simulationOf(const std::string& spec) {
    std::string error;
    auto made = sim::makeSimulation(spec, error);
    if (!made) {
        throw std::invalid_argument(error);
    }
    return *made;
}

// Makes the simulated keypad of `spec` into `simulation`, and a backend to it that hands `onSent`
// each command written.
inline std::shared_ptr<hid::Backend> recordingSimulation(
    const std::string& spec, sim::Simulation& simulation,
    std::function<void(const SentCommand&)> onSent) {
    simulation = simulationOf(spec);
    return std::make_shared<hid::TracingBackend>(
        std::make_shared<sim::SimBackend>(simulation.bus),
        [onSent = std::move(onSent)](const std::string& line) {
            if (auto sent = decodeWritten(line)) {
                onSent(*sent);
            }
        });
}

}  // namespace lumora_usb_encoder::testing
