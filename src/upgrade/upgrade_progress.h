#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {

// The upgrade's progress bar, by the work actually done: the loader start-up, the segments
// erased, the bytes written and the bytes verified, each weighted by how long the part takes
// for it. The bar never moves back (a restarted start-up or a skipped erase keep it where it
// is) and reaches 100 only with "Done!". Used on the upgrade worker's thread only.
class UpgradeProgress {
  public:
    using Sink = std::function<void(int percent, const std::string& text)>;
    explicit UpgradeProgress(Sink sink) : sink_(std::move(sink)) {}

    // The work the image will take; an image that cannot be read leaves only the start-up.
    void planFor(const std::string& imagePath);
    // A report of the programming sequence: its own percentages mark only the start-up.
    void report(int sequencePercent, const std::string& text);
    void segmentErased();
    void bytesWritten(uint32_t count);
    void bytesVerified(uint32_t count);

    int shown() const { return shown_; }

  private:
    void show(const std::string& text);

    Sink sink_;
    double startupMs_ = 0;
    double erasedMs_ = 0;
    double writtenMs_ = 0;
    double verifiedMs_ = 0;
    double eraseTotalMs_ = 0;
    double writeTotalMs_ = 0;
    double verifyTotalMs_ = 0;
    int shown_ = 0;
};

// The loader library with its erase, file transfer and CRC calls counted into `progress`. The
// file goes in pieces of whole reports, so the device sees exactly the reports it would see
// in one call.
class ProgressBslLibrary final : public BslLibrary {
  public:
    explicit ProgressBslLibrary(UpgradeProgress& progress) : progress_(progress) {}

    uint8_t BSL_eraseSegment(uint32_t address) override;
    uint32_t BSL_RX_TXT_File(std::string_view path, uint8_t fast) override;
    uint8_t BSL_CRC_Check(uint32_t address, uint32_t length) override;

  private:
    UpgradeProgress& progress_;
};

}  // namespace lumora_usb_encoder
