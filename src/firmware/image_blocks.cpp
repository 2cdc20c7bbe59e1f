#include "firmware/image_blocks.h"

#include <algorithm>

namespace lumora_usb_encoder {

DataBlock_ ImageBlockReader::next(size_t largest) {
    DataBlock_ block;
    if (!moreData()) {
        return block;
    }
    // A request for nothing would hand out empty blocks for ever; one byte always moves on.
    largest = std::clamp<size_t>(largest, 1, block.data.size());
    const MemoryRun& run = image_.runs[run_];
    size_t count = std::min(largest, run.bytes.size() - offset_);
    std::copy_n(run.bytes.begin() + static_cast<std::ptrdiff_t>(offset_), count,
                block.data.begin());
    block.numberOfBytes = static_cast<uint32_t>(count);
    block.startAddr = run.address + static_cast<uint32_t>(offset_);
    offset_ += count;
    if (offset_ == run.bytes.size()) {
        ++run_;
        offset_ = 0;
    }
    return block;
}

}  // namespace lumora_usb_encoder
