#include "firmware/crc.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace lumora_usb_encoder {
namespace {

DataBlock_ blockOf(const std::string& bytes) {
    DataBlock_ block;
    std::copy(bytes.begin(), bytes.end(), block.data.begin());
    block.numberOfBytes = static_cast<uint32_t>(bytes.size());
    return block;
}

// The bit-serial definition, one shift per bit: an independent check of the byte-wise form.
uint16_t bitwiseCrc(const uint8_t* data, size_t count) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

TEST(Crc, MatchesThePublishedCheckValuesAndTheBitSerialDefinition) {
    const auto cases = std::to_array<std::tuple<std::string, uint32_t>>({
        {"123456789", 0x29B1},  // the catalogue check value of CRC-16/CCITT-FALSE
        {"abc", 0x514A},
        {"", 0xFFFF},  // an empty block leaves the seed
        {"A", 0xB915},
        {std::string(1, '\0'), 0xE1F0},
    });
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Calculate_CRC(blockOf(input)), expected) << '"' << input << '"';
    }
    // The byte-wise form agrees with the bit-serial definition.
    DataBlock_ block;
    uint32_t state = 12345;
    for (auto& byte : block.data) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    // A corrupt count never reads past the block.
    for (uint32_t count : {1u, 2u, 57u, 512u, 5000u, 10240u, 0xFFFFFFFFu}) {
        block.numberOfBytes = count;
        size_t read = std::min<size_t>(count, block.data.size());
        EXPECT_EQ(Calculate_CRC(block), bitwiseCrc(block.data.data(), read)) << count;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
