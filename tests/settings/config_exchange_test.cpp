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

struct ImportCase {
    const char* name;
    std::string chosenName;  // in a folder of its own
    std::string content;
    ImportResult result;
    bool sends;
    bool replacesSettings;
    std::vector<std::string> warnings;
};

class Import : public testing::KeypadWorld, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(Import, ChecksNameAndFormatThenSendsAndCopies) {
    start();
    std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
    std::filesystem::create_directory(folder.path() / "usb");
    std::string chosen = folder.write("usb/" + GetParam().chosenName, GetParam().content);
    ui.files.push_back(chosen);

    ImportOutcome outcome = importConfigFile(ui, settings);
    EXPECT_EQ(outcome.result, GetParam().result);
    EXPECT_EQ(sentSettings().empty(), !GetParam().sends);
    EXPECT_EQ(fileBytes(settings),
              GetParam().replacesSettings ? GetParam().content : kCurrentSettings);
    EXPECT_EQ(ui.warnings(), GetParam().warnings);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0],
              (RecordingUi::DialogRequest{"(*.ini)|*.ini|All files (*.ini)|*.ini",
                                          "openFileDialogBrowse"}));
}

const std::string kRightName = "USBUtilityQuillonCfg.ini";
const std::vector<std::string> kBadFormat = {"File is incorrect format."};
const std::vector<std::string> kBadName = {"Incorrect Filename."};
const std::vector<std::string> kNone;
const ImportCase kImports[] = {
    {"SavedFileIsSentAndBecomesTheSettingsFile", kRightName, savedSettingsText(),
     ImportResult::Imported, true, true, kNone},
    {"NameInOtherLetterCaseIsRefused", "usbutilityquilloncfg.ini", savedSettingsText(),
     ImportResult::IncorrectFilename, false, false, kBadName},
    {"OtherNameIsRefused", "USBUtilityCfg.ini", savedSettingsText(),
     ImportResult::IncorrectFilename, false, false, kBadName},
    {"FileWithoutTheSectionIsRefused", kRightName, " [other]\r\n FirstUp=Yes\r\n",
     ImportResult::IncorrectFormat, false, false, kBadFormat},
    {"UnsavedFileSendsNothingButIsCopied", kRightName, savedSettingsText({{"FirstUp", ""}}),
     ImportResult::Imported, false, true, kNone},
    {"UnreadableValueSendsNothingAndIsNotCopied", kRightName,
     savedSettingsText({{"LedBrightness", "5x"}}), ImportResult::IncorrectFormat, false, false,
     kBadFormat},
    {"OutOfRangeValueSendsNothingAndIsNotCopied", kRightName,
     savedSettingsText({{"LedBrightness", "12"}}), ImportResult::IncorrectFormat, false, false,
     kBadFormat},
};

INSTANTIATE_TEST_SUITE_P(Files, Import, ::testing::ValuesIn(kImports),
                         [](const auto& tc) { return std::string(tc.param.name); });

class ImportFailures : public testing::KeypadWorld {};

TEST_F(ImportFailures, CancelledDialogDoesNothingAndSaysNothing) {
    start();
    std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
    EXPECT_EQ(importConfigFile(ui, settings).result, ImportResult::Cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(written.empty());
}

TEST_F(ImportFailures, CopyThatFailsSaysSo) {
    start();
    std::string chosen =
        folder.write("USBUtilityQuillonCfg.ini", savedSettingsText({{"FirstUp", ""}}));
    auto outcome = importConfigFileFrom(ui, chosen, folder.file("gone/USBUtilityCfg.ini"));
    EXPECT_EQ(outcome.result, ImportResult::CopyFailed);
    EXPECT_EQ(ui.warnings(), std::vector<std::string>{"Failed to copy the new file."});
}

TEST_F(ImportFailures, ImportingTheSettingsFileOntoItselfKeepsIt) {
    start();
    std::string settings = folder.write("USBUtilityQuillonCfg.ini", savedSettingsText());
    EXPECT_EQ(importConfigFileFrom(ui, settings, settings).result, ImportResult::Imported);
    EXPECT_EQ(fileBytes(settings), savedSettingsText());
}

struct ExportCase {
    const char* name;
    bool targetExists;
    std::deque<bool> answers;
    ExportResult result;
    std::string targetAfter;
    std::vector<RecordingUi::Message> messages;
};

const RecordingUi::Message kOverwriteQuestion{
    RecordingUi::Kind::Question,
    "USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?",
    "Save USBUtilityCfg File"};

TEST(Export, CopiesTheSettingsFileAskingBeforeOverwriting) {
    const ExportCase cases[] = {
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
