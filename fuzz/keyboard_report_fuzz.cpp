// What the keypad's keyboard interface sends, on arbitrary bytes: each input is cut into reports
// at its first byte's length, read one after another as the key test reads them. A key comes
// out as newly pressed only when the report before did not hold it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "selftest/keyboard_report.h"

using namespace lumora_usb_encoder::selftest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> input(data, size);
    size_t cut = input.empty() ? 1 : std::max<size_t>(1, input[0] % 16);
    BootKeyboardReport last;
    for (size_t at = 0; at < input.size(); at += cut) {
        std::string error;
        auto report = decodeBootReport(input.subspan(at, std::min(cut, input.size() - at)), error);
        if (!report) {
            continue;
        }
        for (uint8_t usage : newlyPressed(last, *report)) {
            if (std::find(last.keys.begin(), last.keys.end(), usage) != last.keys.end() ||
                usage < 4) {
                std::abort();
            }
            (void)testKeyForUsage(usage);
        }
        last = *report;
    }
    return 0;
}
