// The loader device leaves in the middle of the programming (a cable pulled, quillon-sim killed):
// the log must say the device was lost, not blame the image with a verification error.
#include <gtest/gtest.h>

#include "common/world.h"
#include "firmware/bsl_library.h"
#include "upgrade/upgrade_worker.h"

namespace lumora_usb_encoder::testing {
namespace {

constexpr uint8_t kRxDataBlockFast = 0x1B;
constexpr uint8_t kCrcCheck = 0x16;
const std::string kLost =
    "The loader device was lost during the transfer; the image could not be verified. "
    "Reconnect the keypad and run the upgrade again: it starts from the loader.\r\n";

TEST(LostLoader, IsSaidToBeLostNotToHoldABadImage) {
    // The loader command at which the loader leaves the bus, the how-many-th of its kind once
    // the image is being sent (0: the loader stays); the last log line.
    const std::tuple<const char*, uint8_t, int, std::string> cases[] = {
        {"GoneAtTheFirstDataBlock", kRxDataBlockFast, 1, kLost},
        {"GoneHalfWayThroughTheData", kRxDataBlockFast, 40, kLost},
        {"GoneAtTheFirstCrcCheck", kCrcCheck, 1, kLost},
        {"Stays", kCrcCheck, 0, "Done!"},
    };
    for (const auto& [name, command, nth, lastLine] : cases) {
        SCOPED_TRACE(name);
        WorldOptions options;
        options.loader = true;
        World world("keys=8", options);
        world.enterLoader();
        int seen = 0;
        bool sendingTheImage = false;  // the RAM loader goes in data blocks too
        world.onReport = [&, command = command, nth = nth](const hid::TracedReport& report) {
            bool ours = sendingTheImage &&
                        report.direction == hid::TracedReport::Direction::Written &&
                        report.bytes.size() > 2 && report.bytes[2] == command;
            if (ours && ++seen == nth) {
                world.simulation.bus->detach(world.loader.get());
            }
        };
        std::vector<std::string> log;
        UpgradeWorker worker;
        worker.ReportProgress = [&log, &sendingTheImage](int, const std::string& text) {
            sendingTheImage = sendingTheImage || text.starts_with("Sending " + kSampleFirmware);
            if (!text.empty()) {
                log.push_back(text);
            }
        };
        BslLibrary bsl;
        runUpgradeWorker(bsl, {kSampleFirmware, ""}, worker);
        EXPECT_EQ(worker.Result, nth == 0);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), lastLine);
        EXPECT_EQ(std::count(log.begin(), log.end(), "Memory verification error\r\n"), 0);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
