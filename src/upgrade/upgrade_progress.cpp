#include "upgrade/upgrade_progress.h"

#include <algorithm>
#include <set>

#include "firmware/flash_layout.h"
#include "firmware/loader_protocol.h"
#include "firmware/ti_txt.h"
#include "support/file_io.h"

namespace lumora_usb_encoder {

namespace {

// What the part takes, from its data sheet and the USB frame: a segment erase about 28 ms, one
// report of 58 bytes a 1 ms frame, one CRC request a round trip of 2 ms per block of 5000 bytes.
// The start-up is dominated by its three 1000 ms waits for the RAM loader.
constexpr double kSegmentEraseMs = 28.0;
constexpr double kWriteMsPerByte = 1.0 / static_cast<double>(loader::kMaxBlockData);
constexpr double kVerifyMsPerByte = 2.0 / 5000.0;
constexpr double kStartupMs = 3500.0;
constexpr int kStartupSequencePercent = 50;  // where the sequence's start-up reports end
constexpr size_t kReportsPerPiece = 16;

std::optional<TiTxtImage> readImage(std::string_view path) {
    auto text = readWholeFile(std::string(path));
    TiTxtImage image;
    TiTxtError error;
    if (!text || !parseTiTxt(*text, image, error)) {
        return std::nullopt;
    }
    return image;
}

}  // namespace

void UpgradeProgress::planFor(const std::string& imagePath) {
    auto image = readImage(imagePath);
    if (!image) {
        return;
    }
    std::set<uint32_t> segments;
    for (const MemoryRun& run : image->runs) {
        for (uint32_t segment :
             segmentsTouched(run.address, static_cast<uint32_t>(run.bytes.size()))) {
            segments.insert(segment);
        }
    }
    auto bytes = static_cast<double>(image->byteCount());
    eraseTotalMs_ = static_cast<double>(segments.size()) * kSegmentEraseMs;
    writeTotalMs_ = bytes * kWriteMsPerByte;
    verifyTotalMs_ = bytes * kVerifyMsPerByte;
}

void UpgradeProgress::report(int sequencePercent, const std::string& text) {
    if (sequencePercent <= kStartupSequencePercent) {
        startupMs_ = std::max(startupMs_, kStartupMs * sequencePercent / kStartupSequencePercent);
    } else {
        startupMs_ = kStartupMs;
    }
    // The transfer starts once erasing is over, or skipped after a mass erase.
    if (text.rfind("Sending ", 0) == 0 && sequencePercent > kStartupSequencePercent) {
        erasedMs_ = eraseTotalMs_;
    }
    if (text == "Done!") {
        shown_ = 100;
        sink_(shown_, text);
        return;
    }
    show(text);
}

void UpgradeProgress::segmentErased() {
    erasedMs_ = std::min(eraseTotalMs_, erasedMs_ + kSegmentEraseMs);
    show("");
}

void UpgradeProgress::bytesWritten(uint32_t count) {
    writtenMs_ = std::min(writeTotalMs_, writtenMs_ + count * kWriteMsPerByte);
    show("");
}

void UpgradeProgress::bytesVerified(uint32_t count) {
    verifiedMs_ = std::min(verifyTotalMs_, verifiedMs_ + count * kVerifyMsPerByte);
    show("");
}

void UpgradeProgress::show(const std::string& text) {
    double total = kStartupMs + eraseTotalMs_ + writeTotalMs_ + verifyTotalMs_;
    double done = startupMs_ + erasedMs_ + writtenMs_ + verifiedMs_;
    // 100 belongs to "Done!" alone.
    int percent = std::min(99, static_cast<int>(100.0 * done / total));
    if (percent > shown_ || !text.empty()) {
        shown_ = std::max(shown_, percent);
        sink_(shown_, text);
    }
}

uint8_t ProgressBslLibrary::BSL_eraseSegment(uint32_t address) {
    uint8_t result = BslLibrary::BSL_eraseSegment(address);
    progress_.segmentErased();
    return result;
}

uint32_t ProgressBslLibrary::BSL_RX_TXT_File(std::string_view path, uint8_t fast) {
    auto image = readImage(path);
    if (!image) {
        return BslLibrary::BSL_RX_TXT_File(path, fast);  // it says what is wrong
    }
    const size_t piece = loader::kMaxBlockData * kReportsPerPiece;
    for (const MemoryRun& run : image->runs) {
        for (size_t offset = 0; offset < run.bytes.size(); offset += piece) {
            size_t count = std::min(piece, run.bytes.size() - offset);
            MemoryRun part{run.address + static_cast<uint32_t>(offset),
                           {run.bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                            run.bytes.begin() + static_cast<std::ptrdiff_t>(offset + count)}};
            uint32_t result = BslLibrary::BSL_RX_TXT(formatTiTxt({part}), fast);
            if (result != 0) {
                return result;
            }
            progress_.bytesWritten(static_cast<uint32_t>(count));
        }
    }
    return 0;
}

uint8_t ProgressBslLibrary::BSL_CRC_Check(uint32_t address, uint32_t length) {
    uint8_t result = BslLibrary::BSL_CRC_Check(address, length);
    progress_.bytesVerified(length);
    return result;
}

}  // namespace lumora_usb_encoder
