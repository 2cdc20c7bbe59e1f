// Round trip of one command against a simulated keypad on USB frame timing (usb=frames): the
// poll that waits for the report (read with a 10 ms time-out) beside the plain non-blocking read
// followed by a 10 ms sleep. Counters give the median of the exchanges, its ratio to the USB
// limit of 2 ms (one frame out, one frame back) and the heap allocations per exchange once the
// connection is warm.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "sim/sim_keypad.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every allocation of the process passes here, so the bench can count those of an exchange.
// Kept out of line: inlined, the compiler pairs a static initialiser's new with free and warns.
[[gnu::noinline]] void* operator new(size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// Polls the way a plain non-blocking read does: look once, and sleep a whole interval when
// nothing is there.
class SleepingPoll final : public hid::Device {
  public:
    explicit SleepingPoll(std::unique_ptr<hid::Device> inner) : inner_(std::move(inner)) {}
    int write(const uint8_t* d, size_t n) override { return inner_->write(d, n); }
    int read(uint8_t* d, size_t n) override { return inner_->read(d, n); }
    int readTimeout(uint8_t* d, size_t n, int ms) override {
        int got = inner_->read(d, n);
        if (got == 0) {
            Sleep(static_cast<uint32_t>(ms));
        }
        return got;
    }
    int manufacturerString(std::u16string& t) override { return inner_->manufacturerString(t); }
    int productString(std::u16string& t) override { return inner_->productString(t); }

  private:
    std::unique_ptr<hid::Device> inner_;
};

class SleepingBackend final : public hid::Backend {
  public:
    explicit SleepingBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<hid::DeviceInfo> enumerate(uint16_t v, uint16_t p) override {
        return inner_->enumerate(v, p);
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override {
        auto device = inner_->openPath(path);
        return device ? std::make_unique<SleepingPoll>(std::move(device)) : nullptr;
    }
    void shutdown() override {}
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler) override { return nullptr; }

  private:
    std::shared_ptr<hid::Backend> inner_;
};

class QuietUi final : public UserInterface {
    void warn(const std::string&, const std::string&) override {}
    bool ask(const std::string&, const std::string&) override { return false; }
};

void exchangeRoundTrip(benchmark::State& state, bool sleepingPoll) {
    setClock(std::make_shared<SystemClock>());
    sim::SimulationSpec spec;
    std::string error;
    sim::parseSimulationSpec("usb=frames", spec, error);
    auto simulation = sim::makeSimulation(spec);
    std::shared_ptr<hid::Backend> backend = std::make_shared<sim::SimBackend>(simulation.bus);
    if (sleepingPoll) {
        backend = std::make_shared<SleepingBackend>(backend);
    }
    hid::setBackend(backend);
    QuietUi ui;
    rescanKeypad(ui);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(state.max_iterations));
    for (int warm = 0; warm < 5; ++warm) {
        (void)sendByte(Command::LedBrightness, 4);
    }
    long allocated = 0;
    for ([[maybe_unused]] auto _ : state) {
        long before = allocations.load();
        auto start = std::chrono::steady_clock::now();
        if (sendByte(Command::LedBrightness, 4) != 0) {
            state.SkipWithError("exchange failed");
            break;
        }
        auto end = std::chrono::steady_clock::now();
        allocated += allocations.load() - before;
        std::chrono::duration<double, std::micro> took = end - start;
        micros.push_back(took.count());
        state.SetIterationTime(took.count() / 1e6);
    }
    closeKeypad();
    if (!micros.empty()) {
        std::nth_element(micros.begin(), micros.begin() + static_cast<long>(micros.size() / 2),
                         micros.end());
        double median = micros[micros.size() / 2];
        state.counters["median_us"] = median;
        state.counters["x_usb_limit"] = median / 2000.0;
        state.counters["allocs_per_exchange"] = double(allocated) / double(micros.size());
    }
}

}  // namespace

BENCHMARK_CAPTURE(exchangeRoundTrip, read_with_timeout, false)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exchangeRoundTrip, nonblocking_read_and_sleep, true)
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
