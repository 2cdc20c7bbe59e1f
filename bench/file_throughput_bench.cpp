// TI-TXT reading and the loader's CRC over a 512 KiB image, in MB/s (counter mb_per_s). Both run on
// every upgrade; a fraction of a millisecond per image is the floor that makes them invisible.
#include <benchmark/benchmark.h>

#include "firmware/crc.h"
#include "firmware/ti_txt.h"

using namespace lumora_usb_encoder;

namespace {

constexpr size_t kImageBytes = 512 * 1024;  // fits the address space above 0x10000

std::vector<uint8_t> imageBytes() {
    std::vector<uint8_t> data(kImageBytes);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return data;
}

void tiTxtRead(benchmark::State& state) {
    std::string text = formatTiTxt({{0x10000, imageBytes()}});
    for ([[maybe_unused]] auto _ : state) {
        TiTxtImage image;
        TiTxtError error;
        if (!parseTiTxt(text, image, error)) {
            state.SkipWithError("unreadable image");
            return;
        }
        benchmark::DoNotOptimize(image);
    }
    state.counters["mb_per_s"] = benchmark::Counter(
        double(text.size()) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void crc(benchmark::State& state) {
    std::vector<uint8_t> data = imageBytes();
    for ([[maybe_unused]] auto _ : state) {
        CRC sum;
        for (uint8_t byte : data) {
            sum.CrcInput(byte);
        }
        benchmark::DoNotOptimize(sum.GetCrcValue());
    }
    state.counters["mb_per_s"] = benchmark::Counter(
        double(data.size()) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(tiTxtRead)->Unit(benchmark::kMillisecond);
BENCHMARK(crc)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
