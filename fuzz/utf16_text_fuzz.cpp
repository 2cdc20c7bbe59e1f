// UTF-8 to UTF-16 and back, as file names and device paths cross to Windows: whatever converts
// must convert back to the same bytes, and any UTF-16 (even ill-formed) must give UTF-8 that
// converts again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/utf16_text.h"

using namespace lumora_usb_encoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto units = utf8ToUtf16(bytes); units && utf16ToUtf8(*units) != bytes) {
        std::abort();
    }
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    if (!utf8ToUtf16(utf16ToUtf8(units))) {
        std::abort();
    }
    return 0;
}
