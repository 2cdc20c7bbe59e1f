#include "sim/sim_keypad.h"

#include <gtest/gtest.h>

#include "../faults/keypad_fault.h"
#include "../settings/keypad_world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "support/clock.h"

namespace lumora_usb_encoder {
namespace {

class SimulatedKeypad : public testing::KeypadWorld {};

TEST_F(SimulatedKeypad, ReportsEveryVariant) {
    struct Case {
        const char* spec;
        size_t table;
        int variant;
        uint8_t firstCode;
    };
    const Case cases[] = {
        {"keys=5", 20, 0, 0x6A},         {"keys=6,type=1", 20, 1, 0x59},
        {"keys=8,type=2", 20, 2, 0x04},  {"keys=12,type=5", 24, 2, 0x04},
        {"keys=16,type=8", 32, 2, 0x04},
    };
    for (const auto& c : cases) {
        start(c.spec);
        auto status = readDeviceStatus();
        ASSERT_TRUE(status) << c.spec;
        EXPECT_EQ(status->codeTable.size(), c.table) << c.spec;
        EXPECT_EQ(status->options & 3, c.variant) << c.spec;
        EXPECT_EQ(status->codeTable[1], c.firstCode) << c.spec;
        EXPECT_EQ(status->firmwareVersion, "7.2");
        EXPECT_EQ(status->serialNumber.size(), 12u);
        closeKeypad();
    }
}

TEST_F(SimulatedKeypad, FaultsGiveTheirResults) {
    const std::pair<testing::Fault, int32_t> cases[] = {
        {testing::Fault::NoReply, -6},       {testing::Fault::Refusal, -13},
        {testing::Fault::BadCheckByte, -13}, {testing::Fault::BadStatusByte, -13},
        {testing::Fault::BadSizeByte, -8},   {testing::Fault::Unplug, -1}};
    for (auto [fault, result] : cases) {
        start();
        testing::putFault(simulation.keypad->faults, fault);
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), result) << testing::faultName(fault);
        closeKeypad();
    }
    // Acknowledges and a reply just inside the exchange's time-out still succeed.
    const std::pair<sim::KeypadFaults, int32_t> timing[] = {
        {{.acknowledgeReports = 3}, 0}, {{.replyDelayMs = 4990}, 0}, {{.replyDelayMs = 5010}, -6}};
    for (const auto& [timed, result] : timing) {
        start();
        simulation.keypad->faults = timed;
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), result) << timed.replyDelayMs;
        closeKeypad();
    }
}

// On the virtual clock an exchange costs one USB frame each way on top of the keypad's own
// reply delay.
TEST_F(SimulatedKeypad, AnExchangeTakesOneFrameEachWay) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"", 0}, {"usb=instant", 0}, {"usb=frames", 2}, {"usb=frames,delay=3", 5}};
    for (const auto& [spec, ticks] : cases) {
        start(spec);
        uint32_t before = GetTickCount();
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), 0) << spec;
        EXPECT_EQ(GetTickCount() - before, ticks) << spec;
        closeKeypad();
    }
}

TEST_F(SimulatedKeypad, RefusesValuesOutOfRange) {
    start();
    EXPECT_EQ(sendByte(Command::LedBrightness, 10), -13);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 0), -13);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 9), 0);
}

// Saving the settings rests on this: a restart comes back with what was written as defaults.
TEST_F(SimulatedKeypad, KeepsWrittenDefaultsAcrossARestart) {
    start("brightness=5");
    ASSERT_EQ(sendByte(Command::LedBrightness, 7), 0);
    ASSERT_EQ(sendCommand(Command::WriteDefaults), 0);
    ASSERT_EQ(sendByte(Command::LedBrightness, 2), 0);
    simulation.bus->detach(simulation.keypad.get());
    simulation.bus->attach(simulation.keypad);
    ASSERT_TRUE(rescanKeypad(ui));
    EXPECT_EQ(readDeviceStatus()->ledBrightness, 7);
}

TEST(SimulationSpec, RejectsWhatItCannotRead) {
    for (const char* bad :
         {"keys=7",      "type=x",        "type=99",    "type=9",    "serial=short",
          "colour=3",    "brightness=10", "buzzer=2",   "period=10", "options=256",
          "delay=60001", "version=",      "nonsense=1", "keys",      "usb=fast",
          "press=0@5",   "press=17@5",    "press=3",    "press=3@x", "press="}) {
        sim::SimulationSpec spec;
        std::string error;
        EXPECT_FALSE(sim::parseSimulationSpec(bad, spec, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << "the message names the bad item";
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
