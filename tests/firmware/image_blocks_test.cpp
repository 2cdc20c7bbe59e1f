#include "firmware/image_blocks.h"

#include <gtest/gtest.h>

#include <utility>

namespace lumora_usb_encoder {
namespace {

// Each byte tells its address apart from those 256 bytes away.
uint8_t byteAt(uint32_t address) {
    return static_cast<uint8_t>(address + (address >> 8));
}
MemoryRun run(uint32_t address, uint32_t count) {
    MemoryRun r{address, std::vector<uint8_t>(count)};
    for (uint32_t i = 0; i < count; ++i) {
        r.bytes[i] = byteAt(address + i);
    }
    return r;
}

TEST(ImageBlockReader, SplitsRunsIntoBlocksNoLargerThanAskedWithTheirBytes) {
    constexpr auto kFull = static_cast<uint32_t>(kDataBlockCapacity);
    using Blocks = std::vector<std::pair<uint32_t, uint32_t>>;  // start, count
    const std::tuple<const char*, std::vector<MemoryRun>, size_t, Blocks> cases[] = {
        {"one small run", {run(0x4400, 10)}, 512, {{0x4400, 10}}},
        {"exact multiple", {run(0x4400, 1024)}, 512, {{0x4400, 512}, {0x4600, 512}}},
        {"remainder", {run(0x4401, 1030)}, 512, {{0x4401, 512}, {0x4601, 512}, {0x4801, 6}}},
        {"blocks never span a gap",
         {run(0x4400, 4), run(0x4800, 4)},
         5000,
         {{0x4400, 4}, {0x4800, 4}}},
        {"a request for nothing still moves on", {run(0x10, 2)}, 0, {{0x10, 1}, {0x11, 1}}},
        {"capped at what a block holds",
         {run(0x4400, kFull + 1)},
         1u << 20,
         {{0x4400, kFull}, {0x4400 + kFull, 1}}},
    };
    for (const auto& [name, runs, largest, blocks] : cases) {
        ImageBlockReader reader(TiTxtImage{runs});
        std::vector<std::pair<uint32_t, uint32_t>> got;
        while (reader.moreData() && got.size() < 10) {
            DataBlock_ block = reader.next(largest);
            got.emplace_back(block.startAddr, block.numberOfBytes);
            for (uint32_t i = 0; i < block.numberOfBytes; ++i) {
                ASSERT_EQ(block.data[i], byteAt(block.startAddr + i)) << name;
            }
        }
        EXPECT_EQ(got, blocks) << name;
        EXPECT_EQ(reader.next(512).numberOfBytes, 0u) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
