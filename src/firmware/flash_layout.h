#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace lumora_usb_encoder {

// Flash of the keypad's MSP430F5529-class part.
inline constexpr uint32_t kInfoFlashStart = 0x1800;
inline constexpr uint32_t kInfoFlashEnd = 0x1A00;  // four 128-byte segments D, C, B, A
inline constexpr uint32_t kInfoSegmentSize = 128;
inline constexpr uint32_t kMainFlashStart = 0x4400;
inline constexpr uint32_t kMainFlashEnd = 0x24400;
inline constexpr uint32_t kMainSegmentSize = 512;
inline constexpr uint32_t kResetVectorAddress = 0xFFFE;

bool inProgrammableFlash(uint32_t address);

// Start of the erase segment holding `address`; nullopt outside flash.
std::optional<uint32_t> segmentStart(uint32_t address);

// Every erase segment the bytes [start, start + count) touch, in address order, once each. A
// block that crosses a segment boundary touches two.
std::vector<uint32_t> segmentsTouched(uint32_t start, uint32_t count);

}  // namespace lumora_usb_encoder
