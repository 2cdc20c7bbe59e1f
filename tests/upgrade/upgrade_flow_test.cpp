#include "upgrade/upgrade_flow.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/world.h"
#include "support/ini_file.h"
#include "upgrade_world.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

constexpr auto Question = RecordingUi::Kind::Question;

class UpgradeFlow : public ::testing::Test, public UpgradeWorld {};

TEST_F(UpgradeFlow, UpgradesThroughTheSimulatorAndWritesTheSettingsBack) {
    ASSERT_EQ(upgrade(), UpgradeOutcome::Done) << (log.empty() ? "" : log.back());
    EXPECT_EQ(log.front(), "Starting\r\n");
    EXPECT_TRUE(logged("Memory successfully verified\r\n"));
    EXPECT_EQ(log.back(), "Done!");
    EXPECT_EQ(ui.warnings(), std::vector<std::string>{});
    EXPECT_EQ(ui.shown(Question),
              std::vector<std::string>{
                  "Firmware Upgrade: Are you sure you want to upgrade the firmware?"});
    EXPECT_EQ(settingsNow(), original);
    EXPECT_EQ(world.simulation.keypad->variant().firmwareVersion, "7.3");
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(CIniFile::GetValue("FirmwareFile", "appSettings", settingsFile),
              "sim-keypad-7.3.txt");
}

TEST_F(UpgradeFlow, NothingHappensUnlessTheUserSaysYesToAGoodImage) {
    const std::string bad = scratch.write("bad.txt", "@4400\n01 02\nq\n");
    std::tuple<const char*, bool, std::string, UpgradeOutcome, size_t> cases[] = {
        {"declined", false, kSample, UpgradeOutcome::Declined, 1},
        {"image without a reset vector", true, bad, UpgradeOutcome::Failed, 0},
    };
    std::vector<int> sent;  // status reads left out
    onReport = [&sent](const hid::TracedReport& line) {
        if (auto command = decodeWritten(line); command && command->command != Command::Status) {
            sent.push_back(static_cast<int>(command->command));
        }
    };
    for (const auto& [name, answer, image, outcome, questions] : cases) {
        ui = {};
        ui.unscriptedAnswer = answer;
        EXPECT_EQ(upgrade(image), outcome) << name;
        EXPECT_EQ(ui.shown(Question).size(), questions) << name;
        EXPECT_EQ(sent, std::vector<int>{}) << name;
        EXPECT_FALSE(fs::exists(backup)) << name;
    }
}

// Plugged back in after a failed upgrade, the part stays in its loader and the keypad cannot be
// read: without the backup no settings are written back.
TEST_F(UpgradeFlow, WithNeitherKeypadNorBackupNoSettingsAreWrittenBack) {
    world.loader->faults.unplugAfterReports = 60;
    ASSERT_EQ(upgrade(), UpgradeOutcome::Failed);
    ASSERT_TRUE(fs::remove(backup));
    world.loader->faults.unplugAfterReports = -1;
    world.loader->replug();
    ASSERT_EQ(upgrade(), UpgradeOutcome::Done) << log.back();
    EXPECT_TRUE(logged("No keypad settings could be taken; none will be written back.\r\n"));
    EXPECT_EQ(settingsNow().serialNumber, "000000000000") << "the new firmware's own";
}

TEST_F(UpgradeFlow, RestoreFromABackupRemovesOnlyOurOwnFile) {
    KeypadSettings capture = original;
    capture.ledBrightness = 3;
    std::string own = scratch.file("own.ini");
    ASSERT_TRUE(writeUpgradeBackup(backup, capture, "fw.txt"));
    ASSERT_TRUE(writeUpgradeBackup(own, capture, "fw.txt"));
    std::string problem;
    EXPECT_TRUE(restoreFromBackup(problem, own)) << problem;
    EXPECT_TRUE(fs::exists(own));
    EXPECT_TRUE(restoreFromBackup(problem)) << problem;
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(settingsNow(), capture);
    EXPECT_FALSE(restoreFromBackup(problem));
    EXPECT_NE(problem.find("cannot read"), std::string::npos) << problem;
}

TEST(UpgradeBackup, ReadsBackWhatItWroteAndRefusesWhatItNeverWrites) {
    TempFolder scratch;
    std::string path = scratch.file("UpgradeBackup.ini");
    std::vector<uint8_t> table(20, 0);
    table.front() = 0xE1;
    table.back() = 0x2C;
    // Brightness, colour, buzzer, period, type, options, serial number, table.
    const KeypadSettings capture = {9, 2, 1, 9, 2, 0x46, "QK0000012345", table};
    ASSERT_TRUE(writeUpgradeBackup(path, capture, "fw.txt"));
    EXPECT_EQ(CIniFile::GetValue("FirmwareFile", "appSettings", path), "fw.txt");
    std::string problem;
    auto read = readUpgradeBackup(path, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_EQ(*read, capture);

    // Its values are read as a settings file's are; what is its own: a table whatever the type.
    const std::array<const char*, 3> cases[] = {{"FirstUp", "", "no saved settings"},
                                                {"CodeTableValues", "1,2,3,", "CodeTableValues"}};
    for (const auto& [key, value, says] : cases) {
        ASSERT_TRUE(writeUpgradeBackup(path, capture, "fw.txt"));
        ASSERT_TRUE(CIniFile::SetValue(key, value, "appSettings", path));
        EXPECT_FALSE(readUpgradeBackup(path, problem)) << key;
        EXPECT_NE(problem.find(says), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
