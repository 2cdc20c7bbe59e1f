#include <gtest/gtest.h>

#include "../support/recording_ui.h"
#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "sim/sim_keypad.h"
#include "support/clock.h"

namespace lumora_usb_encoder {
namespace {

// On the virtual clock an exchange costs exactly what the bus and keypad make it cost: one frame
// out and one back with USB timing, on top of the keypad's own reply delay.
TEST(UsbFrames, AnExchangeTakesOneFrameEachWay) {
    struct Case {
        const char* spec;
        uint32_t ticks;
    };
    const Case cases[] = {
        {"", 0}, {"usb=instant", 0}, {"usb=frames", 2}, {"usb=frames,delay=3", 5}};
    for (const auto& c : cases) {
        std::string error;
        auto simulation = sim::makeSimulation(c.spec, error);
        ASSERT_TRUE(simulation) << error;
        hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
        testing::RecordingUi ui;
        ASSERT_TRUE(rescanKeypad(ui)) << c.spec;
        uint32_t start = GetTickCount();
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), 0) << c.spec;
        EXPECT_EQ(GetTickCount() - start, c.ticks) << c.spec;
        closeKeypad();
    }
    hid::setBackend(nullptr);
}

}  // namespace
}  // namespace lumora_usb_encoder
