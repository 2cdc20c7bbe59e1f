// The key map the key stage builds from the table a keypad reports, on arbitrary bytes: the
// first byte is the keypad type, the second the options byte, the rest the table. Every code
// lights only pictures the layout shows (or the fixed ten), each for a key whose entry types it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "selftest/key_layout.h"
#include "selftest/key_map.h"

using namespace lumora_usb_encoder::selftest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    std::span<const uint8_t> table(data + 2, size - 2);
    KeyMap map = keyMapFor(data[0], data[1], table);
    auto layout = keyLayout(data[0], data[1]);
    for (int usage = 0; usage < 256; ++usage) {
        for (const auto& hit : map.hits(static_cast<uint8_t>(usage))) {
            if (hit.button < 1 || hit.button > 16 || hit.key < 1 || hit.key > 16) {
                std::abort();
            }
            if (map.functionKeyTable()) {
                continue;
            }
            bool shown = std::any_of(layout.begin(), layout.end(),
                                     [&](const KeyPicture& p) { return p.button == hit.button; });
            size_t entry = 2 * static_cast<size_t>(hit.key - 1) + 1;
            if (!shown || entry >= table.size() || table[entry] != usage) {
                std::abort();
            }
        }
    }
    (void)keysText(map.hits(data[size - 1]));
    return 0;
}
