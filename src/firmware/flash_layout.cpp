#include "firmware/flash_layout.h"

namespace lumora_usb_encoder {

bool inProgrammableFlash(uint32_t address) {
    return (address >= kInfoFlashStart && address < kInfoFlashEnd) ||
           (address >= kMainFlashStart && address < kMainFlashEnd);
}

std::optional<uint32_t> segmentStart(uint32_t address) {
    if (address >= kInfoFlashStart && address < kInfoFlashEnd) {
        return address & ~(kInfoSegmentSize - 1);
    }
    if (address >= kMainFlashStart && address < kMainFlashEnd) {
        return address & ~(kMainSegmentSize - 1);
    }
    return std::nullopt;
}

std::vector<uint32_t> segmentsTouched(uint32_t start, uint32_t count) {
    std::vector<uint32_t> segments;
    for (uint32_t offset = 0; offset < count;) {
        uint32_t address = start + offset;
        auto segment = segmentStart(address);
        if (!segment) {
            ++offset;  // not flash: nothing to erase for this byte
            continue;
        }
        if (segments.empty() || segments.back() != *segment) {
            segments.push_back(*segment);
        }
        uint32_t size = address < kInfoFlashEnd ? kInfoSegmentSize : kMainSegmentSize;
        offset += *segment + size - address;
    }
    return segments;
}

}  // namespace lumora_usb_encoder
