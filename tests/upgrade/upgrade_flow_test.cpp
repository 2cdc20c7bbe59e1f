#include "upgrade/upgrade_flow.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/world.h"
#include "support/ini_file.h"
#include "upgrade_run.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

constexpr auto Question = RecordingUi::Kind::Question;

class UpgradeFlow : public ::testing::Test {
  protected:
    World world{keypadWithItsOwnSettings(), {.loader = true, .openKeypad = true}};
    UpgradeRun run{world};
};

TEST_F(UpgradeFlow, UpgradesThroughTheSimulatorAndWritesTheSettingsBack) {
    ASSERT_EQ(run.upgrade(), UpgradeOutcome::Done) << (run.log.empty() ? "" : run.log.back());
    EXPECT_EQ(run.log.front(), "Starting\r\n");
    EXPECT_TRUE(run.logged("Memory successfully verified\r\n"));
    EXPECT_TRUE(run.logged("Done!"));
    const auto written = "The keypad's settings read before the upgrade were written back.\r\n";
    EXPECT_EQ(run.log.back(), written);
    EXPECT_EQ(world.ui.warnings(), std::vector<std::string>{});
    const std::string asked = "Firmware Upgrade: Are you sure you want to upgrade the firmware?";
    EXPECT_EQ(world.ui.shown(Question), std::vector{asked});
    EXPECT_EQ(run.settingsNow(), run.original);
    EXPECT_EQ(world.keypad().variant().firmwareVersion, "7.3");
    EXPECT_FALSE(fs::exists(run.backup));
    std::string firmwareFile = CIniFile::GetValue("FirmwareFile", "appSettings", run.settingsFile);
    EXPECT_EQ(firmwareFile, "sim-keypad-7.3.txt");
}

TEST_F(UpgradeFlow, NothingHappensUnlessTheUserSaysYesToAGoodImage) {
    const std::string bad = world.folder.write("bad.txt", "@4400\n01 02\nq\n");
    struct Row {
        const char* name;
        bool answer;  // to the question
        std::string image;
        UpgradeOutcome outcome;
        size_t questions;
    };
    const Row rows[] = {
        {"Declined", false, kSampleFirmware, UpgradeOutcome::Declined, 1},
        {"ImageWithoutAResetVector", true, bad, UpgradeOutcome::Failed, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        world.ui = {};
        world.ui.unscriptedAnswer = row.answer;
        EXPECT_EQ(run.upgrade(row.image), row.outcome);
        EXPECT_EQ(world.ui.shown(Question).size(), row.questions);
        EXPECT_EQ(world.changesSent(), std::vector<SentCommand>{});
        EXPECT_FALSE(fs::exists(run.backup));
    }
}

// Plugged back in after a failed upgrade, the part stays in its loader and the keypad cannot be
// read: without the backup no settings are written back.
TEST_F(UpgradeFlow, WithNeitherKeypadNorBackupNoSettingsAreWrittenBack) {
    world.loader->faults.unplugAfterReports = 60;
    ASSERT_EQ(run.upgrade(), UpgradeOutcome::Failed);
    ASSERT_TRUE(fs::remove(run.backup));
    world.loader->faults.unplugAfterReports = -1;
    world.loader->replug();
    ASSERT_EQ(run.upgrade(), UpgradeOutcome::Done) << run.log.back();
    EXPECT_TRUE(run.logged("No keypad settings could be taken; none will be written back.\r\n"));
    // The new firmware's own serial number.
    EXPECT_EQ(run.settingsNow().serialNumber, "000000000000");
}

TEST_F(UpgradeFlow, RestoreFromABackupRemovesOnlyOurOwnFile) {
    KeypadSettings capture = run.original;
    capture.ledBrightness = 3;
    std::string own = world.folder.file("own.ini");
    ASSERT_TRUE(writeUpgradeBackup(run.backup, capture, "fw.txt"));
    ASSERT_TRUE(writeUpgradeBackup(own, capture, "fw.txt"));
    std::string problem;
    EXPECT_TRUE(run.restoreFromBackup(problem, own)) << problem;
    EXPECT_TRUE(fs::exists(own));
    EXPECT_TRUE(run.restoreFromBackup(problem)) << problem;
    EXPECT_FALSE(fs::exists(run.backup));
    EXPECT_EQ(run.settingsNow(), capture);
    EXPECT_FALSE(run.restoreFromBackup(problem));
    EXPECT_NE(problem.find("cannot read"), std::string::npos) << problem;
}

// The period list's rule: a keypad that reports 0 gets 2 back, whichever way its settings went.
TEST(UpgradeRestore, APeriodOfZeroGoesBackAsTwoAndTheRestoreEnds) {
    struct Row {
        const char* name;
        bool fromBackup;  // else from the keypad's status read
    };
    const Row rows[] = {{"FromMemory", false}, {"FromTheBackup", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world{"keys=12,type=5,period=0", {.loader = true, .openKeypad = true}};
        UpgradeRun run{world};
        if (row.fromBackup) {
            KeypadSettings capture = run.original;
            capture.buzzerPeriod = 0;
            ASSERT_TRUE(writeUpgradeBackup(run.backup, capture, "", BackupStage::FlashTouched));
        }
        world.forgetSent();
        EXPECT_EQ(run.upgrade(), UpgradeOutcome::Done) << run.log.back();
        EXPECT_EQ(world.payloadsOf(Command::BuzzerPeriod), std::vector<std::vector<uint8_t>>{{2}});
        ASSERT_FALSE(world.changesSent().empty());
        EXPECT_EQ(world.changesSent().back(), (SentCommand{Command::WriteDefaults, {}}));
    }
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
    struct Row {
        const char* name;
        const char* key;
        const char* value;
        const char* says;
    };
    const Row rows[] = {
        {"NeverSaved", "FirstUp", "", "no saved settings"},
        {"ShortTableOfAnyType", "CodeTableValues", "1,2,3,", "CodeTableValues"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeUpgradeBackup(path, capture, "fw.txt"));
        ASSERT_TRUE(CIniFile::SetValue(row.key, row.value, "appSettings", path));
        EXPECT_FALSE(readUpgradeBackup(path, problem));
        EXPECT_NE(problem.find(row.says), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
