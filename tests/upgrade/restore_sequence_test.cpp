// The restore after an upgrade, command by command: what it sends, and where the keypad drops
// off the bus, the step that stops it with that step's warning.
#include <gtest/gtest.h>

#include "common/world.h"
#include "upgrade/settings_restore.h"

namespace lumora_usb_encoder::testing {
namespace {

const std::vector<uint8_t> kSerial = {'Q', 'K', '0', '0', '0', '0', '0', '5', '4', '3', '2', '1'};
const std::vector<uint8_t> kTable(20, 0x1E);
const auto kWholeRestore = std::vector<SentCommand>({
    {Command::Options, {5}},
    {Command::SerialNumber, kSerial},
    {Command::FactoryReset, {}},
    {Command::KeypadType, {2}},
    {Command::CodeTable, kTable},
    {Command::LedBrightness, {7}},
    {Command::Buzzer, {1}},
    {Command::BuzzerPeriod, {4}},
    {Command::WriteDefaults, {}},
});

// Brightness, colour (not sent: the restore leaves it alone), buzzer, period, type, options,
// serial number, table.
KeypadSettings captured() {
    return {7, 2, 1, 4, 2, 5, "QK0000054321", kTable};
}

TEST(RestoreSequence, SendsEveryStepInOrderAndStopsAtTheFirstDropoutWithItsWarning) {
    const std::string gone = kNotConnectedMessage;
    struct Row {
        const char* name;
        int reports;  // the keypad leaves after this many more (0: never back from its loader)
        size_t sent;  // the commands of the whole restore that went out
        std::vector<std::string> warnings;
    };
    const Row rows[] = {
        {"KeypadStays", -1, 9, {}},
        {"NeverBackFromTheLoader", 0, 0, {gone}},
        {"Options", 1, 1, {"Unable to set OPTION.."}},
        {"SerialNumber", 2, 2, {"Unable to set Serial Number.."}},
        {"GoneAfterTheReset", 3, 3, {gone, "Unable to set Keypad Type.."}},
        {"KeypadType", 4, 4, {"Unable to set Keypad Type.."}},
        {"CodeTable", 5, 5, {"Unable to Load Table.."}},
        {"LedBrightness", 6, 6, {"Unable to set LED Brightness.."}},
        {"Buzzer", 7, 7, {"Unable to set Buzzer.."}},
        {"BuzzerPeriod", 8, 8, {"Unable to set Buzzer period.."}},
        {"WriteDefaults", 9, 9, {"Unable to Write Default.."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world("keys=8", {.openKeypad = true});
        world.keypad().faults.unplugAfterReports = row.reports;
        if (row.reports == 0) {
            world.bus().detach(world.simulation.keypad.get());
        }
        EXPECT_EQ(restoreSettingsAfterUpgrade(captured(), world.ui, {}), row.reports < 0);
        auto end = kWholeRestore.begin() + static_cast<std::ptrdiff_t>(row.sent);
        EXPECT_EQ(world.changesSent(), std::vector(kWholeRestore.begin(), end));
        EXPECT_EQ(world.ui.warnings(), row.warnings);
    }
}

TEST(RestoreSequence, AMissingSerialNumberIsSaidAndSkipped) {
    World world("keys=8", {.openKeypad = true});
    KeypadSettings settings = captured();
    settings.serialNumber.clear();
    std::vector<std::string> log;
    auto keep = [&](const std::string& line) { log.push_back(line); };
    ASSERT_TRUE(restoreSettingsAfterUpgrade(settings, world.ui, keep));
    std::vector<SentCommand> expected = kWholeRestore;
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(world.changesSent(), expected);
    const std::string said =
        "No serial number was captured before the upgrade; it is not sent.\r\n";
    EXPECT_EQ(log, std::vector{said});
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
