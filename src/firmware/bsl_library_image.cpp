#include <algorithm>

#include "firmware/bsl_library.h"
#include "support/file_io.h"

namespace lumora_usb_encoder {

namespace {

bool readImageFile(std::string_view path, TiTxtImage& image, std::string& why) {
    if (path.empty()) {
        why = "no image file named";
        return false;
    }
    auto text = readWholeFile(std::string(path));
    if (!text) {
        why = "cannot read " + std::string(path);
        return false;
    }
    TiTxtError error;
    if (!parseTiTxt(*text, image, error)) {
        why = std::string(path) + ": " + error.text();
        return false;
    }
    return true;
}

}  // namespace

DataBlock_ BslLibrary::BSL_readTI_Text(std::string_view text, int32_t largest) {
    TiTxtImage image;
    TiTxtError error;
    if (!parseTiTxt(text, image, error)) {
        fail(kBslBadArgument, error.text());
        return {};
    }
    return ImageBlockReader(std::move(image)).next(static_cast<size_t>(std::max(largest, 1)));
}

uint32_t BslLibrary::sendImage(const TiTxtImage& image, uint8_t fast) {
    auto command =
        fast == kSendFast ? loader::Command::RxDataBlockFast : loader::Command::RxDataBlock;
    for (const MemoryRun& run : image.runs) {
        for (size_t offset = 0; offset < run.bytes.size(); offset += loader::kMaxBlockData) {
            size_t count = std::min(loader::kMaxBlockData, run.bytes.size() - offset);
            auto core =
                loader::addressedPacket(command, run.address + static_cast<uint32_t>(offset),
                                        std::span(run.bytes).subspan(offset, count));
            uint8_t result = fast == kSendFast ? send(core) : messageExchange(core);
            if (result != 0) {
                return result;
            }
        }
    }
    return 0;
}

uint32_t BslLibrary::BSL_RX_TXT(std::string_view text, uint8_t fast) {
    TiTxtImage image;
    TiTxtError error;
    if (!parseTiTxt(text, image, error)) {
        return fail(kBslBadArgument, error.text());
    }
    return sendImage(image, fast);
}

uint32_t BslLibrary::BSL_RX_TXT_File(std::string_view path, uint8_t fast) {
    TiTxtImage image;
    std::string why;
    if (!readImageFile(path, image, why)) {
        return fail(kBslBadArgument, why);
    }
    return sendImage(image, fast);
}

int32_t BslLibrary::BSL_openTI_TextForRead(std::string_view path) {
    BSL_closeTI_Text();
    TiTxtImage image;
    std::string why;
    // A file we cannot read as TI-TXT counts as one we cannot open: reading on would make an
    // unreadable image look like an empty one, and an empty image verifies without a mismatch.
    if (!readImageFile(path, image, why)) {
        fail(kBslBadArgument, why);
        return kBslCannotOpenFile;
    }
    textReader_ = ImageBlockReader(std::move(image));
    textOpen_ = true;
    return 0;
}

int32_t BslLibrary::BSL_moreDataToRead_TextFile() {
    return textOpen_ && textReader_.moreData() ? 1 : 0;
}

DataBlock_ BslLibrary::BSL_readTI_TextFile(int32_t largest) {
    if (!textOpen_) {
        return {};
    }
    return textReader_.next(static_cast<size_t>(std::max(largest, 1)));
}

void BslLibrary::BSL_closeTI_Text() {
    textReader_ = ImageBlockReader();
    textOpen_ = false;
}

}  // namespace lumora_usb_encoder
