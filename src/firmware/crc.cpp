#include "firmware/crc.h"

#include <algorithm>

namespace lumora_usb_encoder {

void CRC::CrcInput(uint8_t byte) {
    // Byte-wise form of the bit-serial CRC: eight shifts folded into three XORs.
    uint8_t x = static_cast<uint8_t>((crc >> 8) ^ byte);
    x = static_cast<uint8_t>(x ^ (x >> 4));
    crc = static_cast<uint16_t>((crc << 8) ^ (x << 12) ^ (x << 5) ^ x);
}

uint32_t Calculate_CRC(const DataBlock_& block) {
    CRC crc(0);
    crc.CrcInit(0xFFFF);
    // A count beyond the block's capacity would come from a corrupt block; never read past it.
    size_t count = std::min<size_t>(block.numberOfBytes, block.data.size());
    for (size_t i = 0; i < count; ++i) {
        crc.CrcInput(block.data[i]);
    }
    return crc.GetCrcValue();
}

}  // namespace lumora_usb_encoder
