#include <gtest/gtest.h>

#include <filesystem>

#include "keypad_world.h"
#include "settings/config_files.h"
#include "settings/settings_file.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::RecordingUi;
using testing::savedSettingsText;

const std::string kCurrentSettings = " [appSettings]\r\n FirstUp=\r\n";
const std::vector<std::string> kBadFormat = {"File is incorrect format."};
const std::vector<std::string> kBadName = {"Incorrect Filename."};
const std::vector<std::string> kNone;

class Import : public testing::KeypadWorld {};

TEST_F(Import, ChecksNameAndFormatThenSendsAndCopies) {
    const std::string kRightName = "USBUtilityQuillonCfg.ini";
    const struct {
        const char* name;
        std::string chosenName;  // in a folder of its own
        std::string content;
        ImportResult result;
        bool sends;
        bool replacesSettings;
    } cases[] = {
        {"SavedFile", kRightName, savedSettingsText(), ImportResult::Imported, true, true},
        {"NameInOtherLetterCase", "usbutilityquilloncfg.ini", savedSettingsText(),
         ImportResult::IncorrectFilename, false, false},
        {"OtherName", "USBUtilityCfg.ini", savedSettingsText(), ImportResult::IncorrectFilename,
         false, false},
        {"NoSection", kRightName, " [other]\r\n FirstUp=Yes\r\n", ImportResult::IncorrectFormat,
         false, false},
        {"UnsavedFileIsCopiedOnly", kRightName, savedSettingsText({{"FirstUp", ""}}),
         ImportResult::Imported, false, true},
        {"OutOfRangeValue", kRightName, savedSettingsText({{"LedBrightness", "12"}}),
         ImportResult::IncorrectFormat, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
        std::filesystem::create_directory(folder.path() / "usb");
        ui.files.push_back(folder.write("usb/" + c.chosenName, c.content));
        EXPECT_EQ(importConfigFile(ui, settings).result, c.result);
        EXPECT_EQ(sentSettings().empty(), !c.sends);
        EXPECT_EQ(fileBytes(settings), c.replacesSettings ? c.content : kCurrentSettings);
        EXPECT_EQ(ui.warnings(), c.result == ImportResult::IncorrectFilename ? kBadName
                                 : c.result == ImportResult::IncorrectFormat ? kBadFormat
                                                                             : kNone);
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        EXPECT_EQ(ui.fileRequests[0],
                  (RecordingUi::DialogRequest{"(*.ini)|*.ini|All files (*.ini)|*.ini",
                                              "openFileDialogBrowse"}));
    }
}

TEST_F(Import, CancelledDialogDoesNothingAndSaysNothing) {
    start();
    std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
    EXPECT_EQ(importConfigFile(ui, settings).result, ImportResult::Cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(written.empty());
}

TEST_F(Import, CopyThatFailsSaysSo) {
    start();
    std::string chosen =
        folder.write("USBUtilityQuillonCfg.ini", savedSettingsText({{"FirstUp", ""}}));
    auto outcome = importConfigFileFrom(ui, chosen, folder.file("gone/USBUtilityCfg.ini"));
    EXPECT_EQ(outcome.result, ImportResult::CopyFailed);
    EXPECT_EQ(ui.warnings(), std::vector<std::string>{"Failed to copy the new file."});
}

TEST_F(Import, ImportingTheSettingsFileOntoItselfKeepsIt) {
    start();
    std::string settings = folder.write("USBUtilityQuillonCfg.ini", savedSettingsText());
    EXPECT_EQ(importConfigFileFrom(ui, settings, settings).result, ImportResult::Imported);
    EXPECT_EQ(fileBytes(settings), savedSettingsText());
}

const RecordingUi::Message kOverwriteQuestion{
    RecordingUi::Kind::Question,
    "USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?",
    "Save USBUtilityCfg File"};

TEST(Export, CopiesTheSettingsFileAskingBeforeOverwriting) {
    const struct {
        const char* name;
        bool targetExists;
        std::deque<bool> answers;
        ExportResult result;
        std::string targetAfter;
        std::vector<RecordingUi::Message> messages;
    } cases[] = {
        {"NewTarget", false, {}, ExportResult::Exported, kCurrentSettings, {}},
        {"OverwriteAnsweredYes",
         true,
         {true},
         ExportResult::Exported,
         kCurrentSettings,
         {kOverwriteQuestion}},
        {"OverwriteAnsweredNo", true, {false}, ExportResult::Declined, "old", {kOverwriteQuestion}},
    };
    for (const auto& c : cases) {
        testing::TempFolder folder;
        RecordingUi ui;
        std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
        std::filesystem::create_directory(folder.path() / "out");
        if (c.targetExists) {
            folder.write("out/USBUtilityQuillonCfg.ini", "old");
        }
        ui.folders.push_back(folder.file("out"));
        ui.answers = c.answers;
        EXPECT_EQ(exportConfigFile(ui, settings), c.result) << c.name;
        EXPECT_EQ(fileBytes(folder.file("out/USBUtilityQuillonCfg.ini")), c.targetAfter) << c.name;
        EXPECT_EQ(ui.messages, c.messages) << c.name;
        ASSERT_EQ(ui.folderRequests.size(), 1u);
        EXPECT_EQ(ui.folderRequests[0].first, "Select Folder - To Copy The USBUtilityCfg.ini File");
    }
}

TEST(Export, CancelledDialogAndFailedCopySaySo) {
    testing::TempFolder folder;
    RecordingUi ui;
    EXPECT_EQ(exportConfigFile(ui, folder.file("USBUtilityCfg.ini")), ExportResult::Cancelled);
    ui.folders.push_back(folder.path().string());
    EXPECT_EQ(exportConfigFile(ui, folder.file("USBUtilityCfg.ini")), ExportResult::CopyFailed);
    EXPECT_EQ(ui.warnings(), (std::vector<std::string>{"Unable to save the cfg file.",
                                                       "Failed to export the file"}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("USBUtilityQuillonCfg.ini")));
}

}  // namespace
}  // namespace lumora_usb_encoder
