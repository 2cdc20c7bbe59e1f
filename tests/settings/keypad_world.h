#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../support/recording_ui.h"
#include "../support/sent_commands.h"
#include "../support/temp_folder.h"
#include "device/device_connection.h"
#include "device/report_framing.h"
#include "device/tracing_backend.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::testing {

// A simulated keypad on the bus, a recording user interface, a scratch folder, and a log of
// every command written to the keypad.
class KeypadWorld : public ::testing::Test {
  protected:
    // May be called again for another keypad: the log and the messages start afresh.
    void start(const std::string& spec = "keys=8") {
        closeKeypad();
        written.clear();
        ui = RecordingUi{};
        std::string error;
        auto made = sim::makeSimulation(spec, error);
        ASSERT_TRUE(made) << error;
        simulation = *made;
        auto traced = std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(simulation.bus), [this](const std::string& line) {
                if (auto sent = decodeWritten(line)) {
                    written.push_back(*sent);
                }
            });
        hid::setBackend(traced);
        ASSERT_TRUE(rescanKeypad(ui));
    }
    void TearDown() override { closeKeypad(); }

    // Commands written, status reads left out.
    std::vector<SentCommand> sentSettings() const {
        std::vector<SentCommand> settings;
        for (const auto& sent : written) {
            if (sent.command != 1) {
                settings.push_back(sent);
            }
        }
        return settings;
    }

    sim::Simulation simulation;
    RecordingUi ui;
    TempFolder folder;
    std::vector<SentCommand> written;
};

// A settings file as the program writes it after a save, with some values replaced.
inline std::string savedSettingsText(const std::map<std::string, std::string>& changes = {}) {
    const std::pair<const char*, const char*> saved[] = {
        {"SerialNumber", "QK0000012345"},
        {"Options", "6"},
        {"FirmwareFile", ""},
        {"CodeTableValues", "0,4,225,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,"},
        {"BuzzerPeriod", "2"},
        {"Buzzer", "1"},
        {"LedColour", "0"},
        {"LedBrightness", "5"},
        {"KeypadLayout", "0"},
        {"FirstUp", "Yes"}};
    std::string text = " [appSettings]\r\n";
    for (const auto& [key, value] : saved) {
        auto changed = changes.find(key);
        text += std::string(" ") + key + "=" +
                (changed == changes.end() ? value : changed->second) + "\r\n";
    }
    return text;
}

}  // namespace lumora_usb_encoder::testing
