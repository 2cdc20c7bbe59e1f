#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/recording_ui.h"
#include "common/temp_folder.h"
#include "common/world.h"
#include "device/device_connection.h"

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
        hid::setBackend(recordingSimulation(
            spec, simulation, [this](const SentCommand& sent) { written.push_back(sent); }));
        ASSERT_TRUE(rescanKeypad(ui));
    }
    void TearDown() override { closeKeypad(); }

    // Commands written, status reads left out.
    std::vector<SentCommand> sentSettings() const {
        std::vector<SentCommand> settings;
        std::copy_if(written.begin(), written.end(), std::back_inserter(settings),
                     [](const SentCommand& sent) { return sent.command != Command::Status; });
        return settings;
    }

    sim::Simulation simulation;
    RecordingUi ui;
    TempFolder folder;
    std::vector<SentCommand> written;
};

// A settings file as the program writes it after a save, with some values replaced.
inline std::string savedSettingsText(const std::map<std::string, std::string>& changes = {}) {
    std::string text =
        " [appSettings]\r\n SerialNumber=QK0000012345\r\n Options=6\r\n FirmwareFile=\r\n"
        " CodeTableValues=0,4,225,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,\r\n BuzzerPeriod=2\r\n"
        " Buzzer=1\r\n LedColour=0\r\n LedBrightness=5\r\n KeypadLayout=0\r\n FirstUp=Yes\r\n";
    for (const auto& [key, value] : changes) {
        size_t at = text.find(" " + key + "=") + key.size() + 2;
        text.replace(at, text.find('\r', at) - at, value);
    }
    return text;
}

}  // namespace lumora_usb_encoder::testing
