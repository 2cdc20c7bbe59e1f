#include "firmware/image_blocks.h"

#include <gtest/gtest.h>

#include <utility>

namespace lumora_usb_encoder {
namespace {

std::vector<uint8_t> counting(size_t count, uint8_t first = 0) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i);
    }
    return bytes;
}

struct Split {
    const char* name;
    std::vector<MemoryRun> runs;
    size_t largest;
    std::vector<std::pair<uint32_t, uint32_t>> blocks;  // start, count
};

TEST(ImageBlockReader, SplitsRunsIntoBlocksNoLargerThanAsked) {
    const Split cases[] = {
        {"one small run", {{0x4400, counting(10)}}, 512, {{0x4400, 10}}},
        {"exact multiple", {{0x4400, counting(1024)}}, 512, {{0x4400, 512}, {0x4600, 512}}},
        {"remainder", {{0x4401, counting(1030)}}, 512, {{0x4401, 512}, {0x4601, 512}, {0x4801, 6}}},
        {"blocks never span a gap",
         {{0x4400, counting(4)}, {0x4800, counting(4)}},
         5000,
         {{0x4400, 4}, {0x4800, 4}}},
        {"a request for nothing still moves on", {{0x10, counting(2)}}, 0, {{0x10, 1}, {0x11, 1}}},
        {"capped at what a block holds",
         {{0x4400, counting(kDataBlockCapacity + 1)}},
         1u << 20,
         {{0x4400, static_cast<uint32_t>(kDataBlockCapacity)},
          {0x4400 + static_cast<uint32_t>(kDataBlockCapacity), 1}}},
    };
    for (const auto& c : cases) {
        ImageBlockReader reader(TiTxtImage{c.runs});
        std::vector<std::pair<uint32_t, uint32_t>> got;
        while (reader.moreData() && got.size() < 10) {
            DataBlock_ block = reader.next(c.largest);
            got.emplace_back(block.startAddr, block.numberOfBytes);
        }
        EXPECT_EQ(got, c.blocks) << c.name;
    }
}

TEST(ImageBlockReader, BlocksCarryTheBytesOfTheirAddresses) {
    ImageBlockReader reader(TiTxtImage{{{0x4400, counting(700, 7)}}});
    DataBlock_ first = reader.next(512);
    DataBlock_ second = reader.next(512);
    EXPECT_EQ(first.data[0], 7);
    EXPECT_EQ(first.data[511], static_cast<uint8_t>(7 + 511));
    EXPECT_EQ(second.data[0], static_cast<uint8_t>(7 + 512));
    EXPECT_EQ(second.data[187], static_cast<uint8_t>(7 + 699));
    EXPECT_FALSE(reader.moreData());
    EXPECT_EQ(reader.next(512).numberOfBytes, 0u);
}

}  // namespace
}  // namespace lumora_usb_encoder
