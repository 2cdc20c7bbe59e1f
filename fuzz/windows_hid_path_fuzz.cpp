// Device paths as Windows lists them: the parser must never read past the text, and what it
// accepts must name a device of the form it describes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/windows_hid_path.h"

using namespace lumora_usb_encoder::hid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view path(reinterpret_cast<const char*>(data), size);
    auto parsed = parseWindowsHidPath(path);
    if (parsed && (parsed->interfaceNumber < -1 || parsed->interfaceNumber > 0xFF ||
                   path.find('#', 8) == std::string_view::npos)) {
        std::abort();
    }
    return 0;
}
