#include "sim/sim_keypad.h"

#include <gtest/gtest.h>

#include <array>

#include "../faults/keypad_fault.h"
#include "common/world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "support/clock.h"

namespace lumora_usb_encoder {
namespace {

using testing::Fault;
using testing::World;

TEST(SimulatedKeypad, ReportsEveryVariant) {
    struct Row {
        const char* spec;
        size_t table;
        int variant;
        uint8_t firstCode;
    };
    const auto rows = std::to_array<Row>({
        {"keys=5", 20, 0, 0x6A},
        {"keys=6,type=1", 20, 1, 0x59},
        {"keys=8,type=2", 20, 2, 0x04},
        {"keys=12,type=5", 24, 2, 0x04},
        {"keys=16,type=8", 32, 2, 0x04},
    });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.spec);
        World world(row.spec, {.openKeypad = true});
        auto status = readDeviceStatus();
        ASSERT_TRUE(status);
        EXPECT_EQ(status->codeTable.size(), row.table);
        EXPECT_EQ(status->options & 3, row.variant);
        EXPECT_EQ(status->codeTable[1], row.firstCode);
        EXPECT_EQ(status->firmwareVersion, "7.2");
        EXPECT_EQ(status->serialNumber.size(), 12u);
    }
}

TEST(SimulatedKeypad, FaultsGiveTheirResults) {
    const auto faults = std::to_array<std::pair<Fault, int32_t>>({
        {Fault::NoReply, kResultTimeout},
        {Fault::Refusal, kResultRefused},
        {Fault::BadCheckByte, kResultRefused},
        {Fault::BadStatusByte, kResultRefused},
        {Fault::BadSizeByte, kResultBadSize},
        {Fault::Unplug, kResultNoDevice},
    });
    for (auto [fault, result] : faults) {
        SCOPED_TRACE(testing::faultName(fault));
        World world("keys=8", {.openKeypad = true});
        testing::putFault(world.keypad().faults, fault);
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), result);
    }
}

// Acknowledges and a reply just inside the exchange's time-out still succeed.
TEST(SimulatedKeypad, AcknowledgesAndSlowRepliesWithinTheTimeOutSucceed) {
    struct Row {
        const char* name;
        sim::KeypadFaults timing;
        int32_t result;
    };
    const Row rows[] = {
        {"ThreeAcknowledges", {.acknowledgeReports = 3}, kResultOk},
        {"JustInsideTheTimeOut", {.replyDelayMs = 4990}, kResultOk},
        {"JustPastTheTimeOut", {.replyDelayMs = 5010}, kResultTimeout},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world("keys=8", {.openKeypad = true});
        world.keypad().faults = row.timing;
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), row.result);
    }
}

// On the virtual clock an exchange costs one USB frame each way on top of the keypad's own
// reply delay.
TEST(SimulatedKeypad, AnExchangeTakesOneFrameEachWay) {
    const std::pair<const char*, uint32_t> rows[] = {
        {"", 0},
        {"usb=instant", 0},
        {"usb=frames", 2},
        {"usb=frames,delay=3", 5},
    };
    for (const auto& [spec, ticks] : rows) {
        SCOPED_TRACE(spec);
        World world(spec, {.openKeypad = true});
        uint32_t before = GetTickCount();
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), kResultOk);
        EXPECT_EQ(GetTickCount() - before, ticks);
    }
}

TEST(SimulatedKeypad, RefusesValuesOutOfRange) {
    World world("keys=8", {.openKeypad = true});
    EXPECT_EQ(sendByte(Command::LedBrightness, 10), kResultRefused);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 0), kResultRefused);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 9), kResultOk);
}

// Saving the settings rests on this: a restart comes back with what was written as defaults.
TEST(SimulatedKeypad, KeepsWrittenDefaultsAcrossARestart) {
    World world("brightness=5", {.openKeypad = true});
    ASSERT_EQ(sendByte(Command::LedBrightness, 7), kResultOk);
    ASSERT_EQ(sendCommand(Command::WriteDefaults), kResultOk);
    ASSERT_EQ(sendByte(Command::LedBrightness, 2), kResultOk);
    world.bus().detach(world.simulation.keypad.get());
    world.bus().attach(world.simulation.keypad);
    ASSERT_TRUE(rescanKeypad(world.ui));
    EXPECT_EQ(readDeviceStatus()->ledBrightness, 7);
}

TEST(SimulationSpec, RejectsWhatItCannotRead) {
    const char* const unreadable[] = {
        "keys=7",      "type=x",        "type=99",    "type=9",    "serial=short",
        "colour=3",    "brightness=10", "buzzer=2",   "period=10", "options=256",
        "delay=60001", "version=",      "nonsense=1", "keys",      "usb=fast",
        "press=0@5",   "press=17@5",    "press=3",    "press=3@x", "press=",
    };
    for (const char* bad : unreadable) {
        SCOPED_TRACE(bad);
        sim::SimulationSpec spec;
        std::string error;
        EXPECT_FALSE(sim::parseSimulationSpec(bad, spec, error));
        // The message names the bad item.
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
