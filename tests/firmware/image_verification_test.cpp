#include "firmware/image_verification.h"

#include <gtest/gtest.h>

#include "firmware/crc.h"

namespace lumora_usb_encoder {
namespace {

// A library whose image file and device are scripted: blocks handed out in turn, CRCs
// answered from a list, every erase and read recorded.
class FakeLoader : public BslLibrary {
  public:
    std::vector<DataBlock_> blocks;
    bool openFails = false;
    std::vector<std::optional<uint32_t>> deviceCrcs;  // nullopt: the request fails
    std::vector<uint32_t> erased;
    size_t blocksRead = 0, crcRequests = 0;
    bool closed = false;

    int32_t BSL_openTI_TextForRead(std::string_view) override {
        return openFails ? kBslCannotOpenFile : 0;
    }
    int32_t BSL_moreDataToRead_TextFile() override { return blocksRead < blocks.size(); }
    DataBlock_ BSL_readTI_TextFile(int32_t) override { return blocks[blocksRead++]; }
    void BSL_closeTI_Text() override { closed = true; }
    uint8_t BSL_eraseSegment(uint32_t address) override {
        erased.push_back(address);
        return 0;
    }
    uint8_t BSL_CRC_Check(uint32_t, uint32_t) override {
        auto crc = deviceCrcs.at(crcRequests++);
        if (!crc) {
            return kBslNoReply;
        }
        reply_.bytes[5] = static_cast<uint8_t>(*crc & 0xFF);
        reply_.bytes[6] = static_cast<uint8_t>(*crc >> 8);
        return 0;
    }
    dataBuffer BSL_get_RX_Buffer() override { return reply_; }

  private:
    dataBuffer reply_;
};

DataBlock_ block(uint32_t start, uint32_t count, uint8_t fill = 0x5A) {
    DataBlock_ b;
    b.startAddr = start;
    b.numberOfBytes = count;
    std::fill_n(b.data.begin(), count, fill);
    return b;
}

TEST(CrcCheckFile, StopsAtTheFirstBlockThatDiffers) {
    const std::vector<DataBlock_> blocks = {block(0x4400, 5000, 1), block(0x5788, 5000, 2),
                                            block(0x6B10, 100, 3)};
    uint32_t a = Calculate_CRC(blocks[0]);
    uint32_t b = Calculate_CRC(blocks[1]);
    uint32_t c = Calculate_CRC(blocks[2]);
    // A device CRC of nullopt: the request fails.
    std::tuple<const char*, std::vector<std::optional<uint32_t>>, uint32_t, size_t> cases[] = {
        {"all match", {a, b, c}, kImageOk, 3},
        {"second differs", {a, b ^ 1, c}, kImageMismatch, 2},
        {"device silent on the first", {std::nullopt, b, c}, kImageMismatch, 1},
        {"last differs", {a, b, c ^ 0x8000}, kImageMismatch, 3},
    };
    for (const auto& [name, deviceCrcs, expected, blocksRead] : cases) {
        FakeLoader loader;
        loader.blocks = blocks;
        loader.deviceCrcs = deviceCrcs;
        EXPECT_EQ(CRC_Check_File(loader, "image.txt"), expected) << name;
        EXPECT_EQ(loader.blocksRead, blocksRead) << name;
        EXPECT_TRUE(loader.closed) << name;
    }
    FakeLoader loader;
    loader.deviceCrcs = {std::nullopt, 0xFFFF};
    EXPECT_EQ(CRC_Check(loader, 0x4400, 2, 0), kDeviceCrcFailed);
    EXPECT_EQ(CRC_Check(loader, 0x4400, 2, 0), 0xFFFFu);
}

using ImageJob = uint32_t (*)(BslLibrary&, std::string_view);

TEST(ImageFileJobs, AnImageWithoutBlocksPassesAndOneThatCannotBeOpenedIsSaid) {
    for (ImageJob job : {&CRC_Check_File, &EraseDataSegment_File, &EraseInformationSegments_File}) {
        FakeLoader empty;
        EXPECT_EQ(job(empty, "image.txt"), kImageOk);
        EXPECT_TRUE(empty.erased.empty());
        FakeLoader missing;
        missing.openFails = true;
        EXPECT_EQ(job(missing, "image.txt"), kImageCannotOpen);
    }
}

// Main flash in 512-byte segments, information memory in 128; after a mass erase only the
// information memory is left to erase.
TEST(ImageFileJobs, EraseEverySegmentABlockTouchesOnce) {
    const auto data = &EraseDataSegment_File;
    std::tuple<const char*, ImageJob, std::vector<DataBlock_>, std::vector<uint32_t>> cases[] = {
        {"aligned blocks", data, {block(0x4400, 512), block(0x4600, 512)}, {0x4400, 0x4600}},
        {"across a boundary, nothing after it", data, {block(0x4500, 512)}, {0x4400, 0x4600}},
        {"odd start shares", data, {block(0x4401, 512), block(0x4601, 100)}, {0x4400, 0x4600}},
        {"information memory", data, {block(0x1870, 32)}, {0x1800, 0x1880}},
        {"the vectors and the upper flash", data, {block(0xFFE0, 512)}, {0xFE00, 0x10000}},
        {"outside flash: only the start, as asked", data, {block(0x2500, 16)}, {0x2500}},
        {"information memory alone",
         &EraseInformationSegments_File,
         {block(0x17F0, 32), block(0x1970, 512), block(0x4400, 512)},
         {0x1800, 0x1900, 0x1980}},
    };
    for (const auto& [name, job, blocks, erased] : cases) {
        FakeLoader loader;
        loader.blocks = blocks;
        EXPECT_EQ(job(loader, "image.txt"), kImageOk) << name;
        EXPECT_EQ(loader.erased, erased) << name;
        EXPECT_TRUE(loader.closed) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
