// An upgrade killed at any step loses nothing: the next upgrade or restore-settings writes the
// settings from before the first one back, and only then is the backup gone.
#include <gtest/gtest.h>

#include <filesystem>

#include "../firmware/loader_world.h"
#include "../support/recording_ui.h"
#include "../support/sent_commands.h"
#include "../support/temp_folder.h"
#include "device/device_connection.h"
#include "device/tracing_backend.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder {
namespace {

namespace fs = std::filesystem;

struct Killed {};  // thrown where a kill would have ended the process

struct KillPoint {
    const char* name;
    const char* logLine;  // killed when a log line starts with this, or
    int command;          // when this command is written (after any log line of the case)
};

const KillPoint kKillPoints[] = {
    {"capture", nullptr, 12},
    {"loader start-up", "Password Sent Successfully", 0},
    {"erase", "Erasing memory segments", 0},
    {"transfer", "Sending ", 0},
    {"verify", "Verifying memory", 0},
    {"reset", "Done!", 0},
    {"restore options", nullptr, 11},
    {"restore serial", nullptr, 14},
    {"restore factory reset", nullptr, 10},
    {"restore type", nullptr, 7},
    {"restore table", nullptr, 5},
    {"restore brightness", nullptr, 2},
    {"restore buzzer", nullptr, 4},
    {"restore period", nullptr, 6},
    {"restore defaults", nullptr, 9},
};

void PrintTo(const KillPoint& point, std::ostream* out) {
    *out << point.name;
}

class InterruptedUpgrade : public ::testing::TestWithParam<KillPoint> {
  protected:
    InterruptedUpgrade() : world(keypadWithItsOwnSettings()) {
        auto traced = std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(world.simulation.bus),
            [this](const std::string& line) {
                auto sent = testing::decodeWritten(line);
                // The loader's reports pass here too; only the keypad's own count.
                bool keypadTalking = programmed || GetParam().command == 12;
                if (armed && keypadTalking && sent && sent->command == GetParam().command) {
                    armed = false;
                    throw Killed{};
                }
            });
        hid::setBackend(traced);
        settingsFile = (scratch.path() / "USBUtilityCfg.ini").string();
        EXPECT_TRUE(ensureSettingsFile(settingsFile));
        EXPECT_TRUE(rescanKeypad(ui));
        original = *readKeypadSettings();
        ui.unscriptedAnswer = true;
    }
    ~InterruptedUpgrade() override { closeKeypad(); }

    UpgradeOutcome upgrade() {
        return runFirmwareUpgrade({kSample, "", settingsFile}, ui,
                                  [this](int, const std::string& text) {
                                      programmed = programmed || text == "Done!";
                                      const char* line = GetParam().logLine;
                                      if (armed && line != nullptr && text.rfind(line, 0) == 0) {
                                          armed = false;
                                          throw Killed{};
                                      }
                                  });
    }
    KeypadSettings settingsNow() {
        Sleep(5000);
        world.simulation.bus->poll();
        EXPECT_TRUE(rescanKeypad(ui));
        return readKeypadSettings().value_or(KeypadSettings{});
    }

    LoaderWorld world;
    testing::RecordingUi ui;
    testing::TempFolder scratch;
    std::string settingsFile;
    KeypadSettings original;
    bool armed = true;
    bool programmed = false;
};

TEST_P(InterruptedUpgrade, TheNextUpgradeOrRestoreWritesTheOldSettingsBack) {
    EXPECT_THROW(upgrade(), Killed);
    std::string backup = upgradeBackupPath(settingsFile);
    ASSERT_TRUE(fs::exists(backup)) << "the backup outlives the kill";
    Sleep(5000);
    world.simulation.bus->poll();
    if (GetParam().command != 0 && GetParam().command != 12) {
        std::string problem;
        EXPECT_TRUE(restoreSettingsFromBackup(
            backup, backup, ui, [](int, const std::string&) {}, problem))
            << problem;
    } else {
        (void)rescanKeypad(ui);  // as the programs open the keypad before an upgrade
        EXPECT_EQ(upgrade(), UpgradeOutcome::Done);
    }
    EXPECT_EQ(settingsNow(), original);
    EXPECT_FALSE(fs::exists(backup));
}

INSTANTIATE_TEST_SUITE_P(AtEachStep, InterruptedUpgrade, ::testing::ValuesIn(kKillPoints),
                         [](const auto& point) {
                             std::string name = point.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace lumora_usb_encoder
