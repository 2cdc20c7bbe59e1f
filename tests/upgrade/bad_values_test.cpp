// A value the keypad's command cannot take is found before anything is sent: a restore, an
// import and the restore after an upgrade each send nothing and change no file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "common/settings_text.h"
#include "common/world.h"
#include "settings/config_files.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::RecordingUi;
using testing::savedSettingsText;

const auto kOutOfRange = std::to_array<std::pair<const char*, const char*>>({
    {"KeypadLayout", "9"},
    {"LedBrightness", "10"},
    {"LedBrightness", "200"},
    {"LedColour", "3"},
    {"LedColour", "99"},
    {"Buzzer", "2"},
    {"Buzzer", "7"},
    {"BuzzerPeriod", "9"},
    {"BuzzerPeriod", "255"},
    {"SerialNumber", "SHORT"},
});

TEST(BadValues, AreRefusedBeforeAnythingIsSentOrWritten) {
    testing::World world("keys=8", {.openKeypad = true});
    RecordingUi& ui = world.ui;
    std::filesystem::create_directories(world.folder.path() / "exchange");
    std::string settings = world.folder.write("USBUtilityCfg.ini", savedSettingsText());
    for (const auto& [key, value] : kOutOfRange) {
        SCOPED_TRACE(std::string(key) + "=" + value);
        std::string text = savedSettingsText({{key, value}});
        std::string file = world.folder.write("exchange/USBUtilityQuillonCfg.ini", text);
        world.forgetSent();
        ui.messages.clear();
        EXPECT_EQ(load_data_from_file(ui, file), LoadResult::IncorrectFormat);
        EXPECT_EQ(importConfigFileFrom(ui, file, settings).result, ImportResult::IncorrectFormat);
        std::string problem;
        auto quiet = [](int, const std::string&) {};
        EXPECT_FALSE(restoreSettingsFromBackup(file, file, ui, quiet, problem));
        EXPECT_EQ(world.sent(), std::vector<testing::SentCommand>{});
        EXPECT_EQ(ui.warnings(), std::vector<std::string>(2, "File is incorrect format."));
        EXPECT_EQ(fileBytes(file), text);
        EXPECT_EQ(fileBytes(settings), savedSettingsText());
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
