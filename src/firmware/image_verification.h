#pragma once

#include <cstdint>
#include <string_view>

#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {

inline constexpr uint32_t kImageOk = 0;
inline constexpr uint32_t kImageMismatch = 1;
inline constexpr uint32_t kImageCannotOpen = 0xFFFFFFFE;
inline constexpr uint32_t kDeviceCrcFailed = 0xFFFFFFFF;  // never equals a 16-bit CRC

// The device's CRC over a range, or kDeviceCrcFailed.
[[nodiscard]] uint32_t CRC_Check(BslLibrary& bsl, uint32_t startAddress, uint32_t length,
                                 int reserved);

// Erases every flash segment the image's bytes lie in, once each: 0, or kImageCannotOpen.
[[nodiscard]] uint32_t EraseDataSegment_File(BslLibrary& bsl, std::string_view path);

// Erases only the information-memory segments the image's bytes lie in: a mass erase leaves
// that memory as it was, and the image cannot be programmed over it otherwise.
[[nodiscard]] uint32_t EraseInformationSegments_File(BslLibrary& bsl, std::string_view path);

// Compares the device's CRC of every block of the image with our own: kImageOk, kImageMismatch
// (at the first block that differs; later blocks are not read) or kImageCannotOpen.
[[nodiscard]] uint32_t CRC_Check_File(BslLibrary& bsl, std::string_view path);

}  // namespace lumora_usb_encoder
