// Another program on the same keypad (a second client of quillon-sim, a script writing to the
// hidraw node) can leave input reports waiting: the keypad's answer to whatever it wrote. The
// next exchange of ours must take its own reply, not that one.
#include <gtest/gtest.h>

#include <vector>

#include "common/world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "sim/virtual_bus.h"

namespace lumora_usb_encoder::testing {
namespace {

// The status command as any program writes it: STX, "01", "00", ETX, check byte.
std::vector<uint8_t> statusCommandReport() {
    std::vector<uint8_t> report(64, 0);
    const uint8_t frame[] = {0x3F, 0x40, 0x02, '0', '1', '0', '0', 0x03};
    std::copy(std::begin(frame), std::end(frame), report.begin());
    for (size_t i = 2; i < 8; ++i) {
        report[8] ^= report[i];
    }
    return report;
}

TEST(StrayReports, AreDroppedBeforeACommandGoesOut) {
    // What the other program writes to the keypad's command interface, and how often.
    const std::tuple<const char*, std::vector<uint8_t>, int> cases[] = {
        {"OneJunkByte", {0xFF}, 1},
        {"ThreeJunkBytes", {0xFF}, 3},
        {"AStatusReadOfItsOwn", statusCommandReport(), 1},
    };
    for (const auto& [name, written, times] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", [] {
            WorldOptions options;
            options.openKeypad = true;
            return options;
        }());
        auto other = sim::SimBackend(world.simulation.bus).openPath("sim-1-if1");
        ASSERT_TRUE(other);
        for (int i = 0; i < times; ++i) {
            ASSERT_GT(other->write(written.data(), written.size()), 0);
        }
        std::vector<hid::TracedReport::Direction> traced;
        world.onReport = [&traced](const hid::TracedReport& report) {
            traced.push_back(report.direction);
        };
        EXPECT_EQ(sendByte(Command::LedBrightness, 7), kResultOk);
        auto status = readDeviceStatus();
        ASSERT_TRUE(status) << "the reply taken was the one to the command sent";
        EXPECT_EQ(status->ledBrightness, 7);
        using enum hid::TracedReport::Direction;
        std::vector<hid::TracedReport::Direction> expected(times, Read);
        expected.insert(expected.end(), {Written, Read, Written, Read});
        EXPECT_EQ(traced, expected) << "each report dropped shows in a trace, before the command";
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
