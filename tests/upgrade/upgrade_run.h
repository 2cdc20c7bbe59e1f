#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/world.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder::testing {

// A keypad whose settings all differ from what new firmware starts with.
inline sim::SimulationSpec keypadWithItsOwnSettings() {
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

// Upgrades of a world's keypad as the programs run them: the settings file in the world's
// folder, a user who says Yes, and every non-empty line of the log kept. The keypad must be open.
class UpgradeRun {
    World& world_;  // first: the file names below are taken from it

  public:
    explicit UpgradeRun(World& world) : world_(world) {
        EXPECT_TRUE(ensureSettingsFile(settingsFile));
        original = readKeypadSettings().value_or(KeypadSettings{});
        world.ui.unscriptedAnswer = true;
    }

    UpgradeOutcome upgrade(const std::string& image = kSampleFirmware) {
        auto progress = [this](int, const std::string& text) {
            if (!text.empty()) {
                log.push_back(text);
            }
            if (onLog) {
                onLog(text);
            }
        };
        return runFirmwareUpgrade({image, "", settingsFile}, world_.ui, progress);
    }
    bool logged(const std::string& text) const {
        return std::find(log.begin(), log.end(), text) != log.end();
    }
    bool restoreFromBackup(std::string& problem, const std::string& file = "") {
        auto quiet = [](int, const std::string&) {};
        return restoreSettingsFromBackup(file.empty() ? backup : file, backup, world_.ui, quiet,
                                         problem);
    }
    // What the keypad holds once it is back from any restart.
    KeypadSettings settingsNow() {
        Sleep(5000);
        world_.bus().poll();
        EXPECT_TRUE(rescanKeypad(world_.ui));
        return readKeypadSettings().value_or(KeypadSettings{});
    }

    const std::string settingsFile = world_.settingsFile();
    const std::string backup = upgradeBackupPath(settingsFile);
    KeypadSettings original;                        // what the keypad held at the start
    std::vector<std::string> log;                   // the non-empty log lines, in order
    std::function<void(const std::string&)> onLog;  // each log line as it comes
};

}  // namespace lumora_usb_encoder::testing
