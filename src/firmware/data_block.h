#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumora_usb_encoder {

inline constexpr size_t kDataBlockCapacity = 10240;

// A run of image bytes at consecutive addresses, as the loader library hands them out and takes
// them back (the password is one of them too).
struct DataBlock_ {
    std::array<uint8_t, kDataBlockCapacity> data{};
    uint32_t numberOfBytes = 0;  // valid bytes at the start of data
    uint32_t startAddr = 0;
};

inline constexpr size_t kDataBufferSize = 260;
inline constexpr size_t kDataBufferHeader = 5;

// The loader's last data reply. Bytes 0-1: count of reply data bytes (little-endian); bytes 2-4:
// the address the request named (AL AM AH); from byte 5 on: the reply data. After a CRC request
// bytes 5 and 6 are the CRC, low byte first, which is where the verification looks for it.
struct dataBuffer {
    std::array<uint8_t, kDataBufferSize> bytes{};
};

}  // namespace lumora_usb_encoder
