#pragma once

#include <cstdint>

#include "firmware/data_block.h"

namespace lumora_usb_encoder {

// CRC-16 with polynomial 0x1021, most significant bit first, no reflection and no final XOR:
// the checksum the loader computes over a flash range, so the host can compare without reading
// the flash back.
class CRC {
  public:
    explicit CRC(uint16_t initial = 0xFFFF) : crc(initial) {}
    void CrcInit(uint16_t value) { crc = value; }
    void CrcInput(uint8_t byte);
    uint16_t GetCrcValue() const { return crc; }

  private:
    uint16_t crc;
};

// The CRC (seed 0xFFFF) of the block's valid bytes; 0xFFFF for an empty block.
uint32_t Calculate_CRC(const DataBlock_& block);

}  // namespace lumora_usb_encoder
