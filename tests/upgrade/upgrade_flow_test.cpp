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
#include "upgrade/settings_restore.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {
namespace {

namespace fs = std::filesystem;

const std::string kSample =
    std::string(QUILLON_TEST_DATA) + "/../../samples/firmware/sim-keypad-7.3.txt";
constexpr auto Warning = testing::RecordingUi::Kind::Warning;
constexpr auto Question = testing::RecordingUi::Kind::Question;

// The upgrade's own question answered Yes unless a case says otherwise.
testing::RecordingUi yesSayer() {
    testing::RecordingUi ui;
    ui.unscriptedAnswer = true;
    return ui;
}

const std::string kNotConnected = std::string(kCaptionQuillon) + ": " + kNotConnectedMessage;

sim::SimulationSpec keypadWithItsOwnSettings() {
    sim::SimulationSpec spec;
    spec.variant.keys = 6;
    spec.variant.serialNumber = "QK0000054321";
    spec.factory.ledBrightness = 7;
    spec.factory.buzzer = 0;
    spec.factory.buzzerPeriod = 4;
    spec.factory.keypadType = 2;
    spec.factory.options = 0x05;
    spec.factory.customTable[1] = 0x1E;
    return spec;
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

TEST_F(UpgradeFlow, AnInterruptedUpgradeLosesNoSettings) {
    world.loader->faults.unplugAfterReports = 60;
    ASSERT_EQ(upgrade(), UpgradeOutcome::Failed);
    EXPECT_TRUE(logged("Memory verification error\r\n"));
    ASSERT_TRUE(fs::exists(backup));

    // Plugged back in, the part stays in its loader; the keypad cannot be read any more.
    world.loader->faults.unplugAfterReports = -1;
    world.loader->replug();
    log.clear();
    ui = yesSayer();
    ASSERT_EQ(upgrade(), UpgradeOutcome::Done) << (log.empty() ? "" : log.back());
    EXPECT_TRUE(logged("Using the settings saved before an earlier upgrade: " + backup + "\r\n"));
    DeviceStatus now = statusNow();
    EXPECT_EQ(now.firmwareVersion, "7.3");
    expectSettingsAsBefore(now);
    EXPECT_FALSE(fs::exists(backup));
}

TEST_F(UpgradeFlow, WithoutKeypadOrBackupNothingIsWrittenBack) {
    world.loader->faults.unplugAfterReports = 60;
    ASSERT_EQ(upgrade(), UpgradeOutcome::Failed);
    fs::remove(backup);
    world.loader->faults.unplugAfterReports = -1;
    world.loader->replug();
    log.clear();
    ASSERT_EQ(upgrade(), UpgradeOutcome::Done);
    EXPECT_TRUE(logged("No keypad settings could be taken; none will be written back.\r\n"));
    Sleep(kRestartWaitMs);
    EXPECT_EQ(statusNow().serialNumber, "000000000000") << "the new firmware's own";
}

TEST_F(UpgradeFlow, TheRestoreStopsAtTheFirstFailureWithItsWarning) {
    KeypadSettings capture;
    capture.options = 5;
    capture.serialNumber = "QK0000054321";
    struct Case {
        const char* name;
        std::function<void(sim::Simulation&)> arrange;
        std::string warning;
    } cases[] = {
        {"keypad never comes back", [](sim::Simulation& s) { s.bus->detach(s.keypad.get()); },
         kNotConnected},
        {"keypad refuses", [](sim::Simulation& s) { s.keypad->faults.refuse = true; },
         std::string(kCaptionQuillon) + ": Unable to set OPTION.."},
    };
    for (const auto& c : cases) {
        LoaderWorld fresh(keypadWithItsOwnSettings());
        ui = yesSayer();
        c.arrange(fresh.simulation);
        EXPECT_FALSE(restoreSettingsAfterUpgrade(capture, ui, [](const std::string&) {})) << c.name;
        EXPECT_EQ(ui.shown(Warning), std::vector<std::string>{c.warning}) << c.name;
    }
}

TEST_F(UpgradeFlow, TheRestoreSendsThePeriodValueAndSkipsAMissingSerial) {
    KeypadSettings capture;
    capture.options = 0x05;
    capture.buzzerPeriod = 4;
    capture.ledBrightness = 2;
    std::vector<std::string> lines;
    ASSERT_TRUE(restoreSettingsAfterUpgrade(
        capture, ui, [&](const std::string& text) { lines.push_back(text); }));
    EXPECT_EQ(lines, std::vector<std::string>{
                         "No serial number was captured before the upgrade; it is not sent.\r\n"});
    DeviceStatus now = statusNow();
    EXPECT_EQ(now.buzzerPeriod, 4);
    EXPECT_EQ(now.ledBrightness, 2);
    EXPECT_EQ(now.serialNumber, before.serialNumber) << "left as the keypad has it";
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
