// Programming throughput against the simulated loader on USB frame timing (usb=frames): every
// report takes one 1 ms frame each way, an erase 30 ms. Counters give the image bytes per second
// and the ratio to the limit of 58 data bytes per 1 ms frame (58 000 B/s):
//   transfer  - BSL_RX_TXT_File alone (RX Data Block Fast reports)
//   programme - segment erase, transfer and CRC verification of the whole image
// "virtual" runs on the virtual clock: the cost in frames and erase times, free of host
// scheduling. "wall" runs on the system clock and includes our own overhead and sleep jitter.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "firmware/bsl_library.h"
#include "firmware/firmware_resources.h"
#include "firmware/image_verification.h"
#include "firmware/programming_sequence.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

namespace {

constexpr double kLimitBytesPerSecond = 58.0 * 1000.0;

std::string writeImage(size_t bytes) {
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    auto path =
        std::filesystem::temp_directory_path() / ("loader_bench_" + std::to_string(bytes) + ".txt");
    std::ofstream(path, std::ios::binary) << formatTiTxt({{0x4400, data}}, "\r\n");
    return path.string();
}

// A keypad whose loader runs the RAM loader, opened and unlocked.
struct RamLoaderSession {
    sim::Simulation simulation = sim::makeSimulation({});
    std::shared_ptr<sim::SimLoader> loader = sim::connectLoader(simulation);
    BslLibrary bsl;

    RamLoaderSession() {
        hid::setBackend(std::make_shared<sim::SimBackend>(simulation.bus));
        loader->timing.restartMs = 5;
        {
            std::lock_guard lock(simulation.bus->mutex());
            simulation.bus->detach(simulation.keypad.get());
            loader->enterFromKeypad(GetTickCount());
        }
        Sleep(10);
        auto password = bsl.BSL_readTI_Text(Firmware::item("password.Text")->c_str(), 32);
        ready = open() && bsl.BSL_RX_Password(password) == 0 &&
                bsl.BSL_RX_TXT(builtInRamLoaderText().c_str(), kSendFast) == 0;
        (void)bsl.BSL_LoadPC(kRamBslEntry);  // the loader restarts instead of answering
        Sleep(30);
        ready = ready && open() && bsl.BSL_RX_Password(password) == 0;
        simulation.bus->setUsbFrames(true);
        loader->timing.eraseMs = 30;
    }
    ~RamLoaderSession() { hid::setBackend(nullptr); }
    bool open() {
        bsl.BSL_setFamily(kFamilyF5xx);
        bsl.BSL_setCom(kComUsb);
        return bsl.BSL_initialize_BSL(loaderConnectionString().c_str()) == 0;
    }
    bool ready = false;
};

template <typename Clock>
void run(benchmark::State& state, bool wholeProgramme, size_t bytes) {
    auto previous = setClock(std::make_shared<Clock>());
    std::string image = writeImage(bytes);
    double elapsedMs = 0;
    for ([[maybe_unused]] auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<RamLoaderSession>();
        uint32_t erased = session->ready ? 0 : 1;
        if (!wholeProgramme) {
            erased |= EraseDataSegment_File(session->bsl, image.c_str());
        }
        auto startWall = std::chrono::steady_clock::now();
        uint32_t startTick = GetTickCount();
        state.ResumeTiming();
        if (wholeProgramme) {
            erased |= EraseDataSegment_File(session->bsl, image.c_str());
        }
        uint32_t sent = session->bsl.BSL_RX_TXT_File(image.c_str(), kSendFast);
        uint32_t verified = wholeProgramme ? CRC_Check_File(session->bsl, image.c_str()) : 0;
        state.PauseTiming();
        if (erased != 0 || sent != 0 || verified != 0) {
            state.SkipWithError("programming failed");
        }
        std::chrono::duration<double, std::milli> wall =
            std::chrono::steady_clock::now() - startWall;
        elapsedMs +=
            std::is_same_v<Clock, VirtualClock> ? double(GetTickCount() - startTick) : wall.count();
        session.reset();
        state.ResumeTiming();
    }
    double perSecond = double(bytes) * double(state.iterations()) / (elapsedMs / 1000.0);
    state.counters["image_bytes"] = double(bytes);
    state.counters["bytes_per_s"] = perSecond;
    state.counters["ratio_to_limit"] = perSecond / kLimitBytesPerSecond;
    setClock(previous);
}

void transferVirtual(benchmark::State& s) {
    run<VirtualClock>(s, false, 64 * 1024);
}
void programmeVirtual(benchmark::State& s) {
    run<VirtualClock>(s, true, 64 * 1024);
}
void transferWall(benchmark::State& s) {
    run<SystemClock>(s, false, 32 * 1024);
}
void programmeWall(benchmark::State& s) {
    run<SystemClock>(s, true, 32 * 1024);
}

}  // namespace

BENCHMARK(transferVirtual)->Unit(benchmark::kMillisecond);
BENCHMARK(programmeVirtual)->Unit(benchmark::kMillisecond);
BENCHMARK(transferWall)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(programmeWall)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
