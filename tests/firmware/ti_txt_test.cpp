#include "firmware/ti_txt.h"
#include "firmware/image_blocks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <utility>

namespace lumora_usb_encoder {
namespace {

std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(QUILLON_TEST_DATA) + "/firmware/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(TiTxtReader, AcceptsWhatWritersInTheWildProduce) {
    const std::tuple<const char*, std::string, std::vector<MemoryRun>> cases[] = {
        {"minimal", "@4400\n31 40\nq\n", {{0x4400, {0x31, 0x40}}}},
        {"CR LF and no final line end", "@0120\r\n04 A5\r\nq", {{0x120, {0x04, 0xA5}}}},
        {"lower case", "@ffe0\nab cd ef\nq", {{0xFFE0, {0xAB, 0xCD, 0xEF}}}},
        {"odd address and length", "@4401\n01 02 03\nq", {{0x4401, {1, 2, 3}}}},
        {"blanks, tabs and blank lines", "\n@4400  \n\t01 02 \n\n03\nq\n\n", {{0x4400, {1, 2, 3}}}},
        {"sections sorted", "@5000\n02\n@4000\n01\nq", {{0x4000, {1}}, {0x5000, {2}}}},
        {"meeting sections: one run", "@4402\n03 04\n@4400\n01 02\nq", {{0x4400, {1, 2, 3, 4}}}},
        {"an empty section is harmless", "@4000\n@4400\n01\nq", {{0x4400, {1}}}},
        {"the last byte of the address space", "@FFFFF\n7E\nq", {{0xFFFFF, {0x7E}}}},
        {"leading zeros in an address", "@0004400\n01\nQ", {{0x4400, {1}}}},
    };
    for (const auto& [name, text, runs] : cases) {
        TiTxtImage image;
        TiTxtError error;
        ASSERT_TRUE(parseTiTxt(text, image, error)) << name << ": " << error.text();
        EXPECT_EQ(image.runs, runs) << name;
    }
}

TEST(TiTxtReader, RejectsWhatItCannotReadWithTheLine) {
    const std::tuple<const char*, std::string, size_t, std::string> cases[] = {
        {"data before any address", "01 02\n@4400\nq", 1, "before the first @"},
        {"a byte above 0xFF", "@4400\n01 100\nq", 2, "\"100\""},
        {"a one-digit byte", "@4400\n1\nq", 2, "two hex digits"},
        {"an illegal character", "@4400\n01 0G\nq", 2, "illegal character 0x47"},
        {"a NUL byte", std::string("@4400\n01\0\nq", 11), 2, "illegal character 0x0"},
        {"no data at all", "@4400\nq\n", 0, "no data"},
        {"an empty text", "", 0, "without the closing q"},
        {"no closing q", "@4400\n01 02\n", 2, "without the closing q"},
        {"text after q", "@4400\n01\nq\n@4500\n", 4, "after the closing q"},
        {"an address past 1 MiB", "@100000\n01\nq", 1, "beyond 1 MiB"},
        {"data running past 1 MiB", "@FFFFF\n01 02\nq", 2, "beyond 1 MiB"},
        {"an address with no digits", "@\n01\nq", 1, "address missing"},
        {"a byte given twice", "@4400\n01 02 03\n@4402\n09\nq", 3, "given twice"},
        {"q followed by junk on its line", "@4400\n01\nq 1\n", 3, "\"q\""},
        {"a bare CR line end only", "@4400\r01\rq\r", 1, "illegal character 0xD"},
    };
    for (const auto& [name, text, line, says] : cases) {
        TiTxtImage image;
        image.runs = {{1, {1}}};
        TiTxtError error;
        EXPECT_FALSE(parseTiTxt(text, image, error)) << name;
        EXPECT_EQ(error.line, line) << name << ": " << error.text();
        EXPECT_NE(error.message.find(says), std::string::npos) << name << ": " << error.text();
        EXPECT_EQ(image.runs.size(), 1u) << name << ": a failed read must leave the image";
    }
}

// srec_cat wrote these files from the .bin files beside them (make_srecord_images.sh): the
// reader takes them byte for byte, and the writer gives the same text back.
TEST(TiTxt, ReadsAndWritesImagesAsSrecordDoes) {
    const std::tuple<const char*, size_t, size_t> cases[] = {
        {"srec_single.txt", 1, 0},
        // The vector table and the upper flash meet at 0x10000: one run of 32 + 259.
        {"srec_multi.txt", 3, 51 + 32 + 259 + 7}};
    for (const auto& [name, runs, bytes] : cases) {
        std::string text = dataFile(name);
        TiTxtImage image;
        TiTxtError error;
        ASSERT_TRUE(parseTiTxt(text, image, error)) << name << ": " << error.text();
        EXPECT_EQ(formatTiTxt(image.runs, "\n") + "\n", text) << name;
        EXPECT_EQ(image.runs.size(), runs) << name;
        if (bytes == 0) {
            std::string main = dataFile("srec_main.bin");
            EXPECT_EQ(image.runs, (std::vector<MemoryRun>{{0x4400, {main.begin(), main.end()}}}));
        } else {
            EXPECT_EQ(image.byteCount(), bytes) << name;
        }
    }
}

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
