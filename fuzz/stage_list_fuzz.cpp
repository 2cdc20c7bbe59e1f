// quillonctl selftest --stages, on arbitrary text: what parses names at least one stage.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "selftest/stage_list.h"

using namespace lumora_usb_encoder::selftest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto stages = parseStageList(text, error);
    if (stages ? std::none_of(stages->begin(), stages->end(), [](bool on) { return on; })
               : error.empty()) {
        std::abort();
    }
    return 0;
}
