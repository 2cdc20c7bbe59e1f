#include "sim/sim_keypad.h"

#include <gtest/gtest.h>

#include "../settings/keypad_world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "support/clock.h"

namespace lumora_usb_encoder {
namespace {

class SimulatedKeypad : public testing::KeypadWorld {
  protected:
    sim::KeypadFaults& faults() { return simulation.keypad->faults; }
};

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
    struct Case {
        const char* name;
        sim::KeypadFaults faults;
        int32_t result;
    };
    sim::KeypadFaults f;
    auto with = [](auto change) {
        sim::KeypadFaults faults;
        change(faults);
        return faults;
    };
    const Case cases[] = {
        {"none", f, 0},
        {"acknowledges first", with([](auto& x) { x.acknowledgeReports = 3; }), 0},
        {"slow reply", with([](auto& x) { x.replyDelayMs = 4990; }), 0},
        {"too slow", with([](auto& x) { x.replyDelayMs = 5010; }), -6},
        {"no reply", with([](auto& x) { x.noReply = true; }), -6},
        {"refusal", with([](auto& x) { x.refuse = true; }), -13},
        {"bad check byte", with([](auto& x) { x.badCheckByte = true; }), -13},
        {"bad status byte", with([](auto& x) { x.badStatusByte = true; }), -13},
        {"bad size byte", with([](auto& x) { x.badSizeByte = true; }), -8},
        {"unplugged", with([](auto& x) { x.unplugAfterReports = 1; }), -1},
    };
    for (const auto& c : cases) {
        start();
        faults() = c.faults;
        EXPECT_EQ(sendByte(Command::LedBrightness, 4), c.result) << c.name;
        closeKeypad();
    }
}

TEST_F(SimulatedKeypad, RefusesValuesOutOfRange) {
    start();
    EXPECT_EQ(sendByte(Command::LedBrightness, 10), -13);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 0), -13);
    EXPECT_EQ(sendByte(Command::BuzzerPeriod, 9), 0);
}

TEST_F(SimulatedKeypad, KeepsDefaultsAcrossRestartsAndResetsToFactory) {
    start("brightness=5");
    ASSERT_EQ(sendByte(Command::LedBrightness, 7), 0);
    ASSERT_EQ(sendCommand(Command::WriteDefaults), 0);
    ASSERT_EQ(sendByte(Command::LedBrightness, 2), 0);
    // A restart without reset comes back with the stored default.
    simulation.bus->detach(simulation.keypad.get());
    simulation.bus->attach(simulation.keypad);
    ASSERT_TRUE(rescanKeypad(ui));
    EXPECT_EQ(readDeviceStatus()->ledBrightness, 7);

    // A factory reset answers, leaves the bus, and is back within the restart wait.
    ASSERT_EQ(sendCommand(Command::FactoryReset), 0);
    Sleep(100);
    EXPECT_EQ(sendCommand(Command::Status), -1) << "the old handle is stale";
    Sleep(kRestartWaitMs);
    ASSERT_TRUE(rescanKeypad(ui));
    EXPECT_EQ(readDeviceStatus()->ledBrightness, 5) << "factory value, not the stored default";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SimulatedKeypad, StaysAwayWhenToldAndLeavesForTheLoader) {
    start();
    faults().stayAwayAfterReset = true;
    (void)sendCommand(Command::FactoryReset);
    Sleep(kRestartWaitMs);
    EXPECT_FALSE(rescanKeypad(ui));

    start();
    bool loaderCalled = false;
    simulation.keypad->onUpgradeMode = [&](uint32_t) { loaderCalled = true; };
    EXPECT_EQ(sendCommand(Command::UpgradeMode), 0);
    Sleep(kRestartWaitMs);
    EXPECT_TRUE(hid::backend().enumerate(0x2047, 0x09BF).empty());
    EXPECT_TRUE(loaderCalled);
}

TEST_F(SimulatedKeypad, StoresTableAndSerialNumber) {
    start("keys=16,type=8");
    std::vector<uint8_t> table(32, 0);
    table[8] = 0xE2;
    table[9] = 0x04;
    ASSERT_EQ(sendCommand(Command::CodeTable, table), 0);
    std::string serial = "NEWSERIAL123";
    ASSERT_EQ(
        sendCommand(Command::SerialNumber, std::vector<uint8_t>(serial.begin(), serial.end())), 0);
    auto status = readDeviceStatus();
    EXPECT_EQ(status->codeTable, table);
    EXPECT_EQ(status->serialNumber, serial);
}

TEST(SimulationSpec, RejectsWhatItCannotRead) {
    for (const char* bad : {"keys=7", "type=x", "type=99", "type=9", "serial=short", "colour=3",
                            "brightness=10", "buzzer=2", "period=10", "options=256", "delay=60001",
                            "version=", "nonsense=1", "keys", "usb=fast"}) {
        sim::SimulationSpec spec;
        std::string error;
        EXPECT_FALSE(sim::parseSimulationSpec(bad, spec, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << "the message names the bad item";
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
