// The restore after an upgrade, command by command: what it sends, and where the keypad drops
// off the bus, the step that stops it with that step's warning.
#include <gtest/gtest.h>

#include "../settings/keypad_world.h"
#include "upgrade/settings_restore.h"

namespace lumora_usb_encoder::testing {
namespace {

const std::vector<uint8_t> kSerial = {'Q', 'K', '0', '0', '0', '0', '0', '5', '4', '3', '2', '1'};
const std::vector<uint8_t> kTable(20, 0x1E);
const std::vector<SentCommand> kWholeRestore = {
    {Command::Options, {5}},    {Command::SerialNumber, kSerial}, {Command::FactoryReset, {}},
    {Command::KeypadType, {2}}, {Command::CodeTable, kTable},     {Command::LedBrightness, {7}},
    {Command::Buzzer, {1}},     {Command::BuzzerPeriod, {4}},     {Command::WriteDefaults, {}}};

// Brightness, colour (not sent: the restore leaves it alone), buzzer, period, type, options,
// serial number, table.
KeypadSettings captured() {
    return {7, 2, 1, 4, 2, 5, "QK0000054321", kTable};
}

class RestoreSequence : public KeypadWorld {};

TEST_F(RestoreSequence, SendsEveryStepInOrderAndStopsAtTheFirstDropoutWithItsWarning) {
    const std::string gone = kNotConnectedMessage;
    // The keypad leaves the bus after this many more reports (0: it never came back from its
    // loader; -1: it stays); the commands of the whole restore that went out; the warnings.
    const std::tuple<int, size_t, std::vector<std::string>> cases[] = {
        {-1, 9, {}},
        {0, 0, {gone}},
        {1, 1, {"Unable to set OPTION.."}},
        {2, 2, {"Unable to set Serial Number.."}},
        {3, 3, {gone, "Unable to set Keypad Type.."}},  // the reset goes through; no keypad after
        {4, 4, {"Unable to set Keypad Type.."}},
        {5, 5, {"Unable to Load Table.."}},
        {6, 6, {"Unable to set LED Brightness.."}},
        {7, 7, {"Unable to set Buzzer.."}},
        {8, 8, {"Unable to set Buzzer period.."}},
        {9, 9, {"Unable to Write Default.."}},
    };
    for (const auto& [reports, sent, warnings] : cases) {
        start("keys=8");
        ui = {};
        written.clear();
        simulation.keypad->faults.unplugAfterReports = reports;
        if (reports == 0) {
            simulation.bus->detach(simulation.keypad.get());
        }
        EXPECT_EQ(restoreSettingsAfterUpgrade(captured(), ui, {}), reports < 0) << reports;
        std::vector<SentCommand> expected(kWholeRestore.begin(), kWholeRestore.begin() + sent);
        EXPECT_EQ(sentSettings(), expected) << reports;
        EXPECT_EQ(ui.warnings(), warnings) << reports;
        closeKeypad();
    }
}

TEST_F(RestoreSequence, AMissingSerialNumberIsSaidAndSkipped) {
    start("keys=8");
    KeypadSettings settings = captured();
    settings.serialNumber.clear();
    std::vector<std::string> log;
    ASSERT_TRUE(restoreSettingsAfterUpgrade(settings, ui,
                                            [&](const std::string& line) { log.push_back(line); }));
    std::vector<SentCommand> expected = kWholeRestore;
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(sentSettings(), expected);
    EXPECT_EQ(log, std::vector<std::string>{
                       "No serial number was captured before the upgrade; it is not sent.\r\n"});
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
