#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../firmware/loader_world.h"
#include "common/recording_ui.h"
#include "common/temp_folder.h"
#include "device/device_connection.h"
#include "device/tracing_backend.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder::testing {

// A keypad with settings of its own and its loader behind a traced backend, a settings file in a
// scratch folder, and a user who says Yes to the upgrade.
struct UpgradeWorld {
    LoaderWorld world{keypadWithItsOwnSettings()};
    RecordingUi ui;
    TempFolder scratch;
    std::string settingsFile = scratch.file("USBUtilityCfg.ini");
    std::string backup = upgradeBackupPath(settingsFile);
    KeypadSettings original;
    std::vector<std::string> log;                            // the upgrade's non-empty log lines
    std::function<void(const std::string&)> onLog;           // each log line as it comes
    std::function<void(const hid::TracedReport&)> onReport;  // each traced report

    UpgradeWorld() {
        hid::setBackend(std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(world.simulation.bus),
            [this](const hid::TracedReport& line) {
                if (onReport) {
                    onReport(line);
                }
            }));
        EXPECT_TRUE(ensureSettingsFile(settingsFile));
        EXPECT_TRUE(rescanKeypad(ui));
        original = *readKeypadSettings();
        ui.unscriptedAnswer = true;
    }
    ~UpgradeWorld() { closeKeypad(); }

    UpgradeOutcome upgrade(const std::string& image = kSample) {
        return runFirmwareUpgrade({image, "", settingsFile}, ui,
                                  [this](int, const std::string& text) {
                                      if (!text.empty()) {
                                          log.push_back(text);
                                      }
                                      if (onLog) {
                                          onLog(text);
                                      }
                                  });
    }
    bool logged(const std::string& text) const {
        return std::find(log.begin(), log.end(), text) != log.end();
    }
    bool restoreFromBackup(std::string& problem, const std::string& file = "") {
        return restoreSettingsFromBackup(
            file.empty() ? backup : file, backup, ui, [](int, const std::string&) {}, problem);
    }
    // What the keypad holds once it is back from any restart.
    KeypadSettings settingsNow() {
        Sleep(5000);
        world.simulation.bus->poll();
        EXPECT_TRUE(rescanKeypad(ui));
        return readKeypadSettings().value_or(KeypadSettings{});
    }
};

}  // namespace lumora_usb_encoder::testing
