#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "sim/sim_keypad.h"
#include "soak_faults.h"
#include "support/clock.h"
#include "watchdog.h"

namespace lumora_usb_encoder::soak {

struct Options {
    uint64_t exchanges = 100000;
    uint32_t seed = 1;
    int faultPercent = 30;
    int stuckSeconds = 30;
};

// Commands a keypad takes without leaving the bus, with the range of their one payload byte.
struct CommandChoice {
    Command command;
    int low;  // -1: no payload
    int high;
};
inline constexpr std::array kCommands = {
    CommandChoice{Command::Status, -1, -1},     CommandChoice{Command::LedBrightness, 0, 9},
    CommandChoice{Command::LedColour, 0, 2},    CommandChoice{Command::Buzzer, 0, 1},
    CommandChoice{Command::BuzzerPeriod, 1, 9}, CommandChoice{Command::Options, 0, 255},
    CommandChoice{Command::BuzzerStatus, 0, 1}, CommandChoice{Command::WriteDefaults, -1, -1},
};

class CountingUi final : public UserInterface {
  public:
    void warn(const std::string&, const std::string&) override { ++warnings; }
    bool ask(const std::string&, const std::string&) override { return false; }
    uint64_t warnings = 0;
};

class Soak {
  public:
    explicit Soak(const Options& options)
        : options_(options), random_(options.seed), watchdog_(options.stuckSeconds) {
        setClock(std::make_shared<SteppingClock>());
        sim_ = sim::makeSimulation(sim::SimulationSpec{});
        hid::setBackend(std::make_shared<sim::SimBackend>(sim_.bus));
    }
    ~Soak() {
        closeKeypad();
        hid::setBackend(nullptr);
    }

    int run();

  private:
    size_t pickFault();
    int32_t exchange(const FaultClass& fault, Command command, uint8_t value = 0,
                     Reply* reply = nullptr);
    void round();
    void faultyRound(const FaultClass& fault);
    void resetRound(const FaultClass& fault, bool staysAway);
    void expect(const FaultClass& fault, Command command, int32_t code, int32_t expected);
    void checkStatus(const Reply& reply);
    void replug();
    static bool lockFree();
    void report(double seconds, uint32_t virtualMs) const;

    Options options_;
    std::mt19937 random_;
    Watchdog watchdog_;
    sim::Simulation sim_;
    CountingUi ui_;
    uint64_t exchanges_ = 0;
    std::map<int32_t, uint64_t> codes_;
    std::array<uint64_t, kFaultClasses.size()> injected_{};
    uint64_t wrong_ = 0;
};

}  // namespace lumora_usb_encoder::soak
