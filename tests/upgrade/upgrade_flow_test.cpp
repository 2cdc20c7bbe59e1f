#include "upgrade/upgrade_flow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../firmware/loader_world.h"
#include "../support/recording_ui.h"
#include "../support/temp_folder.h"
#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "settings/settings_file.h"
#include "support/ini_file.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {
namespace {

namespace fs = std::filesystem;

constexpr auto Warning = testing::RecordingUi::Kind::Warning;
constexpr auto Question = testing::RecordingUi::Kind::Question;

// The upgrade's own question answered Yes unless a case says otherwise.
testing::RecordingUi yesSayer() {
    testing::RecordingUi ui;
    ui.unscriptedAnswer = true;
    return ui;
}

class UpgradeFlow : public ::testing::Test {
  protected:
    UpgradeFlow() : world(keypadWithItsOwnSettings()) {
        folder = scratch.path();
        settingsFile = (folder / "USBUtilityCfg.ini").string();
        backup = (folder / "UpgradeBackup.ini").string();
        EXPECT_TRUE(ensureSettingsFile(settingsFile));
        EXPECT_TRUE(rescanKeypad(ui));
        before = *readDeviceStatus();
    }
    ~UpgradeFlow() override { closeKeypad(); }

    UpgradeOutcome upgrade(const std::string& image = kSample) {
        FirmwareUpgradeOptions options{image, "", settingsFile};
        return runFirmwareUpgrade(options, ui, [this](int, const std::string& text) {
            if (!text.empty()) {
                log.push_back(text);
            }
            if (text == "Starting\r\n") {
                backupWhileProgramming = fs::exists(backup);
            }
        });
    }
    bool logged(const std::string& text) const {
        return std::find(log.begin(), log.end(), text) != log.end();
    }
    DeviceStatus statusNow() {
        EXPECT_TRUE(rescanKeypad(ui));
        auto status = readDeviceStatus();
        EXPECT_TRUE(status.has_value());
        return status.value_or(DeviceStatus{});
    }
    void expectSettingsAsBefore(const DeviceStatus& now) {
        EXPECT_EQ(now.ledBrightness, before.ledBrightness);
        EXPECT_EQ(now.buzzer, before.buzzer);
        EXPECT_EQ(now.buzzerPeriod, before.buzzerPeriod);
        EXPECT_EQ(now.keypadType, before.keypadType);
        EXPECT_EQ(now.options, before.options);
        EXPECT_EQ(now.serialNumber, before.serialNumber);
        EXPECT_TRUE(std::equal(now.codeTable.begin(), now.codeTable.begin() + 20,
                               before.codeTable.begin()));
    }

    LoaderWorld world;
    testing::RecordingUi ui = yesSayer();
    testing::TempFolder scratch;
    fs::path folder;
    std::string settingsFile, backup;
    DeviceStatus before;
    std::vector<std::string> log;
    bool backupWhileProgramming = false;
};

TEST_F(UpgradeFlow, UpgradesThroughTheSimulatorAndWritesTheSettingsBack) {
    ASSERT_EQ(upgrade(), UpgradeOutcome::Done) << (log.empty() ? "" : log.back());
    EXPECT_TRUE(logged("Starting\r\n"));
    EXPECT_TRUE(logged("Memory successfully verified\r\n"));
    EXPECT_TRUE(logged("Done!"));
    EXPECT_EQ(ui.shown(Warning), std::vector<std::string>{});
    EXPECT_EQ(ui.shown(Question),
              std::vector<std::string>{
                  "Firmware Upgrade: Are you sure you want to upgrade the firmware?"});
    DeviceStatus now = statusNow();
    EXPECT_EQ(now.firmwareVersion, "7.3");
    expectSettingsAsBefore(now);
    EXPECT_TRUE(backupWhileProgramming) << "the backup exists before the keypad leaves";
    EXPECT_FALSE(fs::exists(backup)) << "and goes once the settings are back";
    EXPECT_EQ(CIniFile::GetValue("FirmwareFile", "appSettings", settingsFile),
              "sim-keypad-7.3.txt");
}

TEST_F(UpgradeFlow, NothingHappensUnlessTheUserSaysYesToAGoodImage) {
    struct Case {
        const char* name;
        bool answer;
        std::string image;
        UpgradeOutcome outcome;
        size_t questions;
    } cases[] = {
        {"declined", false, kSample, UpgradeOutcome::Declined, 1},
        {"image without a reset vector", true, (folder / "bad.txt").string(),
         UpgradeOutcome::Failed, 0},
    };
    std::ofstream(folder / "bad.txt") << "@4400\n01 02\nq\n";
    for (const auto& c : cases) {
        ui = yesSayer();
        ui.unscriptedAnswer = c.answer;
        EXPECT_EQ(upgrade(c.image), c.outcome) << c.name;
        EXPECT_EQ(ui.shown(Question).size(), c.questions) << c.name;
        EXPECT_TRUE(world.keypadPresent()) << c.name;
        EXPECT_FALSE(world.loaderPresent()) << c.name;
        EXPECT_EQ(world.loader->reportsReceived(), 0) << c.name;
        EXPECT_FALSE(fs::exists(backup)) << c.name;
    }
}

// Plugged back in after a failed upgrade, the part stays in its loader and the keypad cannot be
// read: the settings come from the backup, or without one none are written back.
TEST_F(UpgradeFlow, AfterAnInterruptedUpgradeTheBackupAloneBringsTheSettingsBack) {
    for (bool keepBackup : {true, false}) {
        world.loader->faults.unplugAfterReports = 60;
        ASSERT_EQ(upgrade(), UpgradeOutcome::Failed);
        ASSERT_TRUE(fs::exists(backup));
        if (!keepBackup) {
            fs::remove(backup);
        }
        world.loader->faults.unplugAfterReports = -1;
        world.loader->replug();
        log.clear();
        ui = yesSayer();
        ASSERT_EQ(upgrade(), UpgradeOutcome::Done) << (log.empty() ? "" : log.back());
        Sleep(kRestartWaitMs);
        DeviceStatus now = statusNow();
        if (keepBackup) {
            EXPECT_TRUE(
                logged("Using the settings saved before an earlier upgrade: " + backup + "\r\n"));
            expectSettingsAsBefore(now);
        } else {
            EXPECT_TRUE(
                logged("No keypad settings could be taken; none will be written back.\r\n"));
            EXPECT_EQ(now.serialNumber, "000000000000") << "the new firmware's own";
        }
        EXPECT_FALSE(fs::exists(backup));
    }
}

TEST_F(UpgradeFlow, RestoreFromABackupRemovesOnlyOurOwnFile) {
    KeypadSettings capture;
    capture.options = 0x05;
    capture.ledBrightness = 3;
    capture.serialNumber = "QK0000054321";
    capture.codeTable.assign(20, 0);
    std::string own = (folder / "own.ini").string();
    ASSERT_TRUE(writeUpgradeBackup(backup, capture, "fw.txt"));
    ASSERT_TRUE(writeUpgradeBackup(own, capture, "fw.txt"));
    std::string problem;
    auto quiet = [](int, const std::string&) {};
    EXPECT_TRUE(restoreSettingsFromBackup(own, backup, ui, quiet, problem)) << problem;
    EXPECT_TRUE(fs::exists(own));
    EXPECT_TRUE(restoreSettingsFromBackup(backup, backup, ui, quiet, problem)) << problem;
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(statusNow().ledBrightness, 3);
    EXPECT_FALSE(restoreSettingsFromBackup(backup, backup, ui, quiet, problem));
    EXPECT_NE(problem.find("cannot read"), std::string::npos) << problem;
}

TEST(UpgradeBackup, ReadsBackWhatItWroteAndRefusesWhatItNeverWrites) {
    testing::TempFolder scratch;
    fs::path folder = scratch.path();
    std::string path = (folder / "UpgradeBackup.ini").string();
    KeypadSettings capture;
    capture.keypadType = 2;
    capture.ledBrightness = 9;
    capture.buzzer = 1;
    capture.buzzerPeriod = 9;
    capture.options = 0x46;
    capture.codeTable.assign(20, 0);
    capture.codeTable[0] = 0xE1;
    capture.codeTable[19] = 0x2C;
    capture.ledColour = 2;
    capture.serialNumber = "QK0000012345";
    ASSERT_TRUE(writeUpgradeBackup(path, capture, "fw.txt"));
    EXPECT_EQ(CIniFile::GetValue("LedColour", "appSettings", path), "2");
    EXPECT_EQ(CIniFile::GetValue("FirmwareFile", "appSettings", path), "fw.txt");
    std::string problem;
    auto read = readUpgradeBackup(path, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_EQ(*read, capture);

    struct Broken {
        const char* key;
        const char* value;
        const char* says;
    } cases[] = {{"FirstUp", "", "no saved settings"},
                 {"LedBrightness", "-1", "LedBrightness"},
                 {"Options", "256", "Options"},
                 {"CodeTableValues", "1,2,3,", "CodeTableValues"},
                 {"SerialNumber", "SHORT", "12 characters"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeUpgradeBackup(path, capture, "fw.txt"));
        ASSERT_TRUE(CIniFile::SetValue(c.key, c.value, "appSettings", path));
        EXPECT_FALSE(readUpgradeBackup(path, problem)) << c.key;
        EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
