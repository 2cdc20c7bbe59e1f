// Many exchanges with the simulated keypad under random faults, cable pulls and keypads that do
// not come back, on the virtual clock. Every exchange has to end with the code its fault calls
// for, a good status read has to bring the keypad's own record, and the exchange lock has to be
// free between exchanges.
#include "soak.h"

#include <algorithm>
#include <cstdio>
#include <future>

namespace lumora_usb_encoder::soak {

size_t Soak::pickFault() {
    if (std::uniform_int_distribution(1, 100)(random_) > options_.faultPercent) {
        return 0;
    }
    int roll = std::uniform_int_distribution(1, 100)(random_);
    for (size_t i = 1; i < kFaultClasses.size(); ++i) {
        roll -= kFaultClasses[i].weight;
        if (roll <= 0) {
            return i;
        }
    }
    return 0;
}

int32_t Soak::exchange(const FaultClass& fault, Command command, uint8_t value, Reply* reply) {
    auto choice = std::find_if(kCommands.begin(), kCommands.end(),
                               [&](const CommandChoice& c) { return c.command == command; });
    bool withPayload = choice == kCommands.end() || choice->low >= 0;
    const uint8_t payload[1] = {value};
    watchdog_.started(++exchanges_, fault.name, static_cast<int>(command));
    int32_t code = sendCommand(command, std::span(payload, withPayload ? 1 : 0), reply);
    watchdog_.finished();
    ++codes_[code];
    return code;
}

void Soak::expect(const FaultClass& fault, Command command, int32_t code, int32_t expected) {
    if (code == expected) {
        return;
    }
    if (++wrong_ <= 10) {
        std::printf("exchange %llu (fault %s, command %d): code %d (%s), expected %d (%s)\n",
                    static_cast<unsigned long long>(exchanges_), fault.name,
                    static_cast<int>(command), code, codeName(code), expected, codeName(expected));
    }
}

void Soak::checkStatus(const Reply& reply) {
    std::vector<uint8_t> record;
    {
        std::lock_guard lock(sim_.bus->mutex());
        record = sim_.keypad->statusRecord();
    }
    record.resize(std::min<size_t>(record.size(), kMaxPayload - 1));
    if (!std::equal(record.begin(), record.end(), reply.data.begin(),
                    reply.data.begin() + reply.length)) {
        ++wrong_;
        std::printf("exchange %llu: a good status read brought another record\n",
                    static_cast<unsigned long long>(exchanges_));
    }
}

void Soak::round() {
    const FaultClass& fault = kFaultClasses[pickFault()];
    ++injected_[static_cast<size_t>(&fault - kFaultClasses.data())];
    if (fault.fault == Fault::NoReturn) {
        resetRound(fault, true);
    } else if (fault.fault != Fault::None) {
        faultyRound(fault);
    } else if (std::uniform_int_distribution(1, 64)(random_) == 1) {
        resetRound(fault, false);
    } else {
        const CommandChoice& choice =
            kCommands[std::uniform_int_distribution<size_t>(0, kCommands.size() - 1)(random_)];
        auto value = static_cast<uint8_t>(std::uniform_int_distribution(
            std::max(choice.low, 0), std::max(choice.high, 0))(random_));
        Reply reply;
        int32_t code = exchange(fault, choice.command, value, &reply);
        expect(fault, choice.command, code, kResultOk);
        if (code == kResultOk && choice.command == Command::Status) {
            checkStatus(reply);
        }
    }
}

void Soak::faultyRound(const FaultClass& fault) {
    {
        std::lock_guard lock(sim_.bus->mutex());
        injectFault(fault.fault, sim_.keypad->faults);
    }
    if (fault.fault == Fault::UnplugBefore) {
        sim_.bus->detach(sim_.keypad.get());
    }
    Command command =
        std::uniform_int_distribution(0, 1)(random_) ? Command::Status : Command::LedBrightness;
    expect(fault, command, exchange(fault, command, 5), fault.expected);
    if (fault.fault == Fault::Unplug || fault.fault == Fault::UnplugBefore) {
        replug();
    } else {
        std::lock_guard lock(sim_.bus->mutex());
        sim_.keypad->faults = {};
    }
}

// The reset sequence: the keypad answers, restarts, and is looked for again after the wait.
// One that stays away has to be reported missing, and the next exchange has to say so too.
void Soak::resetRound(const FaultClass& fault, bool staysAway) {
    {
        std::lock_guard lock(sim_.bus->mutex());
        injectFault(fault.fault, sim_.keypad->faults);
    }
    expect(fault, Command::FactoryReset, exchange(fault, Command::FactoryReset, 0), kResultOk);
    Sleep(kRestartWaitMs);
    if (rescanKeypad(ui_) == staysAway) {
        ++wrong_;
        std::printf("exchange %llu: after the reset the keypad was %s\n",
                    static_cast<unsigned long long>(exchanges_), staysAway ? "found" : "missing");
    }
    if (staysAway) {
        expect(fault, Command::Status, exchange(fault, Command::Status), fault.expected);
        replug();
    }
}

// The person plugs the keypad back in, a little later; the program looks until it is there.
void Soak::replug() {
    {
        std::lock_guard lock(sim_.bus->mutex());
        sim_.keypad->faults = {};
    }
    sim_.bus->poll();  // a departure that is due happens before the arrival
    if (!sim_.bus->present(sim_.keypad.get())) {
        sim_.bus->attach(sim_.keypad, std::uniform_int_distribution(0U, 2000U)(random_));
    }
    for (int tries = 0; !rescanKeypad(ui_); ++tries) {
        if (tries == 100) {
            ++wrong_;
            std::printf("exchange %llu: the keypad never came back\n",
                        static_cast<unsigned long long>(exchanges_));
            return;
        }
        Sleep(100);
    }
}

bool Soak::lockFree() {
    return std::async(std::launch::async,
                      [] {
                          if (!exchangeMutex().try_lock()) {
                              return false;
                          }
                          exchangeMutex().unlock();
                          return true;
                      })
        .get();
}

int Soak::run() {
    auto start = std::chrono::steady_clock::now();
    uint32_t virtualStart = GetTickCount();
    if (!rescanKeypad(ui_)) {
        std::printf("no simulated keypad\n");
        return 1;
    }
    uint64_t step = std::max<uint64_t>(options_.exchanges / 20, 1);
    uint64_t nextStep = step;
    while (exchanges_ < options_.exchanges) {
        round();
        if (exchanges_ >= nextStep) {
            nextStep += step;
            std::fprintf(stderr, "soak: %llu of %llu exchanges\n",
                         static_cast<unsigned long long>(exchanges_),
                         static_cast<unsigned long long>(options_.exchanges));
            if (!lockFree()) {
                ++wrong_;
                std::printf("exchange %llu: the exchange lock is held between exchanges\n",
                            static_cast<unsigned long long>(exchanges_));
            }
        }
    }
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    report(seconds.count(), GetTickCount() - virtualStart);
    return wrong_ == 0 ? 0 : 1;
}

void Soak::report(double seconds, uint32_t virtualMs) const {
    std::printf("%llu exchanges in %.1f s (%.0f s of keypad time), seed %u, %d %% faulty\n",
                static_cast<unsigned long long>(exchanges_), seconds, virtualMs / 1000.0,
                options_.seed, options_.faultPercent);
    std::printf("\n%-16s %10s\n", "fault", "rounds");
    for (size_t i = 0; i < kFaultClasses.size(); ++i) {
        std::printf("%-16s %10llu\n", kFaultClasses[i].name,
                    static_cast<unsigned long long>(injected_[i]));
    }
    std::printf("\n%-16s %10s\n", "code", "exchanges");
    for (const auto& [code, count] : codes_) {
        std::printf("%4d %-11s %10llu\n", code, codeName(code),
                    static_cast<unsigned long long>(count));
    }
    std::printf("\n\"not connected\" warnings: %llu; wrong results: %llu\n",
                static_cast<unsigned long long>(ui_.warnings),
                static_cast<unsigned long long>(wrong_));
}

}  // namespace lumora_usb_encoder::soak
