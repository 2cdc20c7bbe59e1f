#include <gtest/gtest.h>

#include <filesystem>

#include "common/settings_text.h"
#include "common/world.h"
#include "settings/config_files.h"
#include "settings/settings_file.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::RecordingUi;
using testing::savedSettingsText;
using testing::World;

const std::string kCurrentSettings = " [appSettings]\r\n FirstUp=\r\n";

TEST(Import, ChecksNameAndFormatThenSendsAndCopies) {
    using enum ImportResult;
    const std::string kRightName = "USBUtilityQuillonCfg.ini";
    // The chosen file's name (in a folder of its own) and content, and whether it is sent.
    const std::tuple<const char*, std::string, std::string, ImportResult, bool> cases[] = {
        {"SavedFile", kRightName, savedSettingsText(), Imported, true},
        {"NameInOtherLetterCase", "usbutilityquilloncfg.ini", savedSettingsText(),
         IncorrectFilename, false},
        {"OtherName", "USBUtilityCfg.ini", savedSettingsText(), IncorrectFilename, false},
        {"NoSection", kRightName, " [other]\r\n FirstUp=Yes\r\n", IncorrectFormat, false},
        {"OutOfRangeValue", kRightName, savedSettingsText({{"LedBrightness", "12"}}),
         IncorrectFormat, false},
    };
    for (const auto& [name, chosenName, content, result, sends] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", {.openKeypad = true});
        RecordingUi& ui = world.ui;
        std::string settings = world.folder.write("USBUtilityCfg.ini", kCurrentSettings);
        std::filesystem::create_directory(world.folder.path() / "usb");
        ui.files.push_back(world.folder.write("usb/" + chosenName, content));
        EXPECT_EQ(importConfigFile(ui, settings).result, result);
        EXPECT_EQ(world.changesSent().empty(), !sends);
        EXPECT_EQ(fileBytes(settings), result == Imported ? content : kCurrentSettings);
        EXPECT_EQ(ui.warnings(),
                  std::vector<std::string>(result != Imported, result == IncorrectFilename
                                                                   ? "Incorrect Filename."
                                                                   : "File is incorrect format."));
        EXPECT_EQ(ui.fileRequests,
                  (std::vector<RecordingUi::DialogRequest>{
                      {"(*.ini)|*.ini|All files (*.ini)|*.ini", "openFileDialogBrowse"}}));
    }
}

TEST(Import, CancelSaysNothingAFailedCopySaysSoAndTheFileOntoItselfIsKept) {
    World world("keys=8", {.openKeypad = true});
    RecordingUi& ui = world.ui;
    std::string chosen = world.folder.write("USBUtilityQuillonCfg.ini", savedSettingsText());
    EXPECT_EQ(importConfigFile(ui, chosen).result, ImportResult::Cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(world.sent(), std::vector<testing::SentCommand>{});
    EXPECT_EQ(importConfigFileFrom(ui, chosen, chosen).result, ImportResult::Imported);
    EXPECT_EQ(fileBytes(chosen), savedSettingsText());
    auto outcome = importConfigFileFrom(ui, chosen, world.folder.file("gone/USBUtilityCfg.ini"));
    EXPECT_EQ(outcome.result, ImportResult::CopyFailed);
    EXPECT_EQ(ui.warnings(), std::vector<std::string>{"Failed to copy the new file."});
}

// The file would become the one every later restore sends, with a table the keypad never took.
TEST(Import, AFileWhoseTableTheKeypadRefusedIsNotKept) {
    World world("keys=8", {.openKeypad = true});
    std::string settings = world.folder.write("USBUtilityCfg.ini", kCurrentSettings);
    std::filesystem::create_directory(world.folder.path() / "usb");
    world.ui.files.push_back(world.folder.write("usb/USBUtilityQuillonCfg.ini",
                                                savedSettingsText({{"KeypadLayout", "2"}})));
    world.keypad().faults.unplugAfterReports = 4;  // gone at the code table
    ImportOutcome outcome = importConfigFile(world.ui, settings);
    EXPECT_EQ(outcome.result, ImportResult::NotApplied);
    EXPECT_EQ(outcome.load, LoadResult::TableFailed);
    EXPECT_EQ(fileBytes(settings), kCurrentSettings);
    EXPECT_EQ(world.ui.warnings(), std::vector<std::string>{"Unable to Load Table.."});
}

const RecordingUi::Message kOverwriteQuestion{
    RecordingUi::Kind::Question,
    "USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?",
    "Save USBUtilityCfg File"};

TEST(Export, CopiesTheSettingsFileAskingBeforeOverwriting) {
    using enum ExportResult;
    // Whether a target is there already, the answers given, the target afterwards.
    using Case = std::tuple<const char*, bool, std::deque<bool>, ExportResult, std::string,
                            std::vector<RecordingUi::Message>>;
    const Case cases[] = {
        {"NewTarget", false, {}, Exported, kCurrentSettings, {}},
        {"OverwriteAnsweredYes", true, {true}, Exported, kCurrentSettings, {kOverwriteQuestion}},
        {"OverwriteAnsweredNo", true, {false}, Declined, "old", {kOverwriteQuestion}},
    };
    for (const auto& [name, targetExists, answers, result, targetAfter, messages] : cases) {
        SCOPED_TRACE(name);
        testing::TempFolder folder;
        RecordingUi ui;
        std::string settings = folder.write("USBUtilityCfg.ini", kCurrentSettings);
        std::filesystem::create_directory(folder.path() / "out");
        if (targetExists) {
            folder.write("out/USBUtilityQuillonCfg.ini", "old");
        }
        ui.folders.push_back(folder.file("out"));
        ui.answers = answers;
        EXPECT_EQ(exportConfigFile(ui, settings), result);
        EXPECT_EQ(fileBytes(folder.file("out/USBUtilityQuillonCfg.ini")), targetAfter);
        EXPECT_EQ(ui.messages, messages);
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
