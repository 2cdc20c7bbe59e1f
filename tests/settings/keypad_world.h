#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
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
    void start(const std::string& spec = "keys=8") {
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
    std::map<std::string, std::string> values = {
        {"FirstUp", "Yes"},
        {"KeypadLayout", "0"},
        {"LedBrightness", "5"},
        {"LedColour", "0"},
        {"Buzzer", "1"},
        {"BuzzerPeriod", "2"},
        {"CodeTableValues", "0,4,225,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,"},
        {"FirmwareFile", ""},
        {"Options", "6"},
        {"SerialNumber", "QK0000012345"},
    };
    for (const auto& [key, value] : changes) {
        values[key] = value;
    }
    std::string text = " [appSettings]\r\n";
    for (const char* key :
         {"SerialNumber", "Options", "FirmwareFile", "CodeTableValues", "BuzzerPeriod", "Buzzer",
          "LedColour", "LedBrightness", "KeypadLayout", "FirstUp"}) {
        text += std::string(" ") + key + "=" + values[key] + "\r\n";
    }
    return text;
}

}  // namespace lumora_usb_encoder::testing
