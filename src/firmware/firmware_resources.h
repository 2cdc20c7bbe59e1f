#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/ti_txt.h"

namespace lumora_usb_encoder {

// The loader items the upgrade carries, looked up by name: "VID", "PID", "password.Text",
// "RAM_BSL.Text", "RAM_BSL_VERSION", "Forced_BOR.Text". The .Text items are TI-TXT texts.
class Firmware {
  public:
    static std::optional<std::string> item(std::string_view key);
};

inline constexpr const char* kRamBslVersion = "00.06.05.34";
inline constexpr uint32_t kRamBslStart = 0x2500;
inline constexpr uint32_t kRamBslEntry = 0x2504;
// Where a RAM loader of this version lies: 0x2500 up to 0x2FE9, all but the byte at 0x2575,
// 2793 bytes in all.
inline constexpr uint32_t kRamBslEnd = 0x2FEA;
inline constexpr uint32_t kRamBslGap = 0x2575;
inline constexpr uint32_t kRamBslSize = kRamBslEnd - kRamBslStart - 1;

// The RAM loader built into the program. It is our own, made for the simulated loader, which
// starts any image that begins with the right version bytes; real hardware needs the vendor's
// image of the same version, which the user installs.
const std::vector<MemoryRun>& builtInRamLoader();
const std::string& builtInRamLoaderText();

// The keypad firmware's interrupt vectors (0xFFE0-0xFFFF), which are the loader password.
const std::vector<uint8_t>& keypadVectorTable();

}  // namespace lumora_usb_encoder
