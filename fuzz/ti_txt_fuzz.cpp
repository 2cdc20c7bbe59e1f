// The TI-TXT reader on arbitrary text: it either refuses with a line, or hands back runs that
// are sorted, apart, inside 1 MiB, survive a write and read again, and split into blocks that
// cover every byte once.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "firmware/image_blocks.h"
#include "firmware/ti_txt.h"

using namespace lumora_usb_encoder;

namespace {
void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TiTxtImage image;
    TiTxtError error;
    if (!parseTiTxt(text, image, error)) {
        check(!error.message.empty());
        return 0;
    }
    check(!image.runs.empty());
    for (size_t i = 0; i < image.runs.size(); ++i) {
        const MemoryRun& run = image.runs[i];
        check(!run.bytes.empty() && run.end() <= kAddressSpaceSize);
        check(i == 0 || image.runs[i - 1].end() < run.address);
    }
    TiTxtImage again;
    check(parseTiTxt(formatTiTxt(image.runs), again, error));
    check(again.runs == image.runs);

    size_t largest = size > 0 ? data[0] * 41u : 1;
    ImageBlockReader reader(image);
    size_t covered = 0;
    while (reader.moreData()) {
        DataBlock_ block = reader.next(largest);
        check(block.numberOfBytes > 0 && block.numberOfBytes <= std::max<size_t>(largest, 1));
        covered += block.numberOfBytes;
    }
    check(covered == image.byteCount());
    return 0;
}
