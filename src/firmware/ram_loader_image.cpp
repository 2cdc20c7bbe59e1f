#include <string_view>

#include "firmware/firmware_resources.h"

namespace lumora_usb_encoder {

namespace {

// The two stretches a RAM loader of this version occupies: the gap byte is left out, as in the
// vendor's image, so the size and layout match what the upgrade expects.
constexpr uint32_t kFirstEnd = kRamBslGap;
constexpr uint32_t kSecondStart = kRamBslGap + 1;
constexpr uint32_t kSecondEnd = kRamBslEnd;

std::vector<uint8_t> fill(size_t count, std::string_view banner) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(banner[i % banner.size()]);
    }
    return bytes;
}

std::vector<MemoryRun> build() {
    // Version bytes, then a jump to itself at the entry (the simulator never runs it), then a
    // banner that tells anyone who dumps RAM what this is.
    std::vector<uint8_t> first = {0x00, 0x06, 0x05, 0x34, 0xFF, 0x3F};
    auto banner = fill(kFirstEnd - kRamBslStart - first.size(),
                       "Quillon simulator RAM loader - not for hardware. ");
    first.insert(first.end(), banner.begin(), banner.end());
    auto second = fill(kSecondEnd - kSecondStart, "QUILLON-SIM-RAM-BSL-00.06.05.34 ");
    return {{kRamBslStart, std::move(first)}, {kSecondStart, std::move(second)}};
}

}  // namespace

const std::vector<MemoryRun>& builtInRamLoader() {
    static const std::vector<MemoryRun> runs = build();
    return runs;
}

const std::string& builtInRamLoaderText() {
    static const std::string text = formatTiTxt(builtInRamLoader(), "\r\n") + "\r\n";
    return text;
}

}  // namespace lumora_usb_encoder
