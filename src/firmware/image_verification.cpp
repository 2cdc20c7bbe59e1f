#include "firmware/image_verification.h"

#include <set>

#include "firmware/crc.h"
#include "firmware/flash_layout.h"

namespace lumora_usb_encoder {

namespace {
constexpr int32_t kEraseBlockSize = 512;
constexpr int32_t kVerifyBlockSize = 5000;
}  // namespace

uint32_t CRC_Check(BslLibrary& bsl, uint32_t startAddress, uint32_t length, int reserved) {
    (void)reserved;
    if (bsl.BSL_CRC_Check(startAddress, length) != 0) {
        return kDeviceCrcFailed;
    }
    dataBuffer reply = bsl.BSL_get_RX_Buffer();
    return reply.bytes[5] + 256u * reply.bytes[6];
}

namespace {

template <typename Wanted>
uint32_t eraseImageSegments(BslLibrary& bsl, std::string_view path, Wanted wanted) {
    if (bsl.BSL_openTI_TextForRead(path) == kBslCannotOpenFile) {
        return kImageCannotOpen;
    }
    // Erasing only the segment a block starts in would leave the next one unerased wherever a
    // block crosses a boundary and no later block starts there, and programming over unerased
    // flash fails the verification. So every segment a block touches is erased, once.
    std::set<uint32_t> erased;
    while (bsl.BSL_moreDataToRead_TextFile() != 0) {
        DataBlock_ block = bsl.BSL_readTI_TextFile(kEraseBlockSize);
        auto segments = segmentsTouched(block.startAddr, block.numberOfBytes);
        if (segments.empty()) {
            segments.push_back(block.startAddr);
        }
        for (uint32_t segment : segments) {
            if (wanted(segment) && erased.insert(segment).second) {
                // A segment left unerased fails the verification that always follows.
                (void)bsl.BSL_eraseSegment(segment);
            }
        }
    }
    bsl.BSL_closeTI_Text();
    return kImageOk;
}

}  // namespace

uint32_t EraseDataSegment_File(BslLibrary& bsl, std::string_view path) {
    return eraseImageSegments(bsl, path, [](uint32_t) { return true; });
}

uint32_t EraseInformationSegments_File(BslLibrary& bsl, std::string_view path) {
    return eraseImageSegments(bsl, path, [](uint32_t segment) {
        return segment >= kInfoFlashStart && segment < kInfoFlashEnd;
    });
}

uint32_t CRC_Check_File(BslLibrary& bsl, std::string_view path) {
    if (bsl.BSL_openTI_TextForRead(path) == kBslCannotOpenFile) {
        return kImageCannotOpen;
    }
    while (bsl.BSL_moreDataToRead_TextFile() != 0) {
        DataBlock_ block = bsl.BSL_readTI_TextFile(kVerifyBlockSize);
        if (CRC_Check(bsl, block.startAddr, block.numberOfBytes, 0) != Calculate_CRC(block)) {
            bsl.BSL_closeTI_Text();
            return kImageMismatch;
        }
    }
    bsl.BSL_closeTI_Text();
    return kImageOk;
}

}  // namespace lumora_usb_encoder
