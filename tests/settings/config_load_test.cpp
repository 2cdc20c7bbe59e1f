#include <gtest/gtest.h>

#include "common/settings_text.h"
#include "common/world.h"
#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "support/ini_file.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::RecordingUi;
using testing::savedSettingsText;
using testing::SentCommand;
using testing::World;

const std::vector<uint8_t> kFileTable = {0, 4, 225, 5,  0, 6,  0, 7,  0, 8,
                                         0, 9, 0,   10, 0, 11, 0, 12, 0, 13};

// What a restore of the default saved file sends, with the code table when `table`.
std::vector<SentCommand> restoreOf(uint8_t type, bool table, uint8_t period = 3) {
    auto sent = std::vector<SentCommand>({
        {Command::Options, {6}},
        {Command::FactoryReset, {}},
        {Command::KeypadType, {type}},
        {Command::CodeTable, kFileTable},
        {Command::LedBrightness, {5}},
        {Command::LedColour, {0}},
        {Command::Buzzer, {1}},
        {Command::BuzzerPeriod, {period}},
        {Command::WriteDefaults, {}},
    });
    sent.erase(sent.begin() + 3, sent.begin() + (table ? 3 : 4));
    return sent;
}

TEST(Restore, SendsWhatTheFileHoldsOrNothing) {
    using enum LoadResult;
    using Case = std::tuple<const char*, std::map<std::string, std::string>, LoadResult,
                            std::vector<SentCommand>>;
    const Case cases[] = {
        {"FirstRunFile", {{"FirstUp", ""}}, NotSaved, {}},
        {"FirstUpMustBeExactlyYes", {{"FirstUp", "yes"}}, NotSaved, {}},
        {"DefaultTableIsNotSent", {}, Sent, restoreOf(0, false)},
        {"AlternateTableIsNotSent", {{"KeypadLayout", "1"}}, Sent, restoreOf(1, false)},
        {"CustomisedSends20Of21Pieces", {{"KeypadLayout", "2"}}, Sent, restoreOf(2, true)},
        {"BuzzerPeriodEightIsSentAsNine", {{"BuzzerPeriod", "8"}}, Sent, restoreOf(0, false, 9)},
        {"UnreadableValue", {{"LedColour", "white"}}, IncorrectFormat, {}},
        {"EmptyValueOfASavedFile", {{"Options", ""}}, IncorrectFormat, {}},
        {"ValueAboveAByte", {{"Buzzer", "257"}}, IncorrectFormat, {}},
        {"ShortCustomisedTable",
         {{"KeypadLayout", "8"}, {"CodeTableValues", "1,2,3,"}},
         IncorrectFormat,
         {}},
        {"ShortDefaultTableIsNotRead", {{"CodeTableValues", "1,2,3,"}}, Sent, restoreOf(0, false)},
    };
    for (const auto& [name, changes, result, sent] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", {.openKeypad = true});
        std::string text = savedSettingsText(changes);
        std::string file = world.folder.write("s.ini", text);
        EXPECT_EQ(load_data_from_file(world.ui, file), result);
        EXPECT_EQ(world.changesSent(), sent);
        EXPECT_EQ(world.ui.warnings(),
                  std::vector<std::string>(result == IncorrectFormat, "File is incorrect format."));
        for (const auto& message : world.ui.messages) {
            EXPECT_EQ(message.caption, kCaptionQuillon);
        }
        EXPECT_EQ(fileBytes(file), text) << "a restore never changes the file";
    }
}

// The keypad leaving the bus at a given report, counted from the first command of the restore.
TEST(Restore, StopsAtTheFailingStepWithItsMessage) {
    using enum LoadResult;
    const std::string gone = kNotConnectedMessage;
    struct Row {
        const char* name;
        std::string layout;  // of the file restored
        int unplugAt;        // the report the keypad leaves at
        bool stayAway;       // after the reset
        LoadResult result;
        std::vector<std::string> warnings;
    };
    const Row rows[] = {
        {"OptionsCommand", "0", 1, false, StepFailed, {"Unable to set option.."}},
        {"NoKeypadAfterTheReset", "0", -1, true, StepFailed, {gone, "Unable to set option.."}},
        {"CodeTable", "2", 4, false, TableFailed, {"Unable to Load Table.."}},
        {"WriteDefaults", "0", 8, false, StepFailed, {"Unable to write default.."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world("keys=8", {.openKeypad = true});
        world.keypad().faults.unplugAfterReports = row.unplugAt;
        world.keypad().faults.stayAwayAfterReset = row.stayAway;
        std::string text = savedSettingsText({{"KeypadLayout", row.layout}});
        LoadResult result = load_data_from_file(world.ui, world.folder.write("s.ini", text));
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(world.ui.warnings(), row.warnings);
        EXPECT_EQ(reselectsKeypadType(result), result == StepFailed);
    }
}

TEST(Save, WritesTheSnapshotKeysNewestFirstWithCrLfAndALeadingBlank) {
    World world("keys=8,type=2", {.openKeypad = true});
    std::string path = world.settingsFile();
    ASSERT_TRUE(ensureSettingsFile(path));
    ASSERT_TRUE(SetSettings(world.ui, path, "FirmwareFile", "image.txt"));
    KeypadFields fields;
    EXPECT_EQ(SaveToConfigFile(world.ui, fields, path), SaveResult::Saved);
    EXPECT_TRUE(world.ui.messages.empty());
    EXPECT_EQ(
        fileBytes(path),
        savedSettingsText({{"FirmwareFile", "image.txt"},
                           {"CodeTableValues", "0,4,0,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,"},
                           {"KeypadLayout", "2"}}));
    EXPECT_EQ(fields.prev_keypadType_index, 2) << "the status read fills the fields";
}

// Every key of every keypad size survives save, factory reset and restore; an old file of 20
// numbers still brings back the first ten keys.
TEST(Save, SaveFactoryResetRestoreKeepsEveryKey) {
    for (const char* spec : {"keys=5,type=2", "keys=12,type=5", "keys=16,type=8"}) {
        SCOPED_TRACE(spec);
        World world(spec, {.openKeypad = true});
        for (size_t i = 0; i < 32; ++i) {
            world.keypad().current().customTable[i] = static_cast<uint8_t>(0x20 + i);
        }
        auto before = readDeviceStatus();
        ASSERT_TRUE(before);
        std::string path = world.folder.file("s.ini");
        ASSERT_TRUE(ensureSettingsFile(path));
        KeypadFields fields;
        ASSERT_EQ(SaveToConfigFile(world.ui, fields, path), SaveResult::Saved);
        ASSERT_EQ(load_data_from_file(world.ui, path), LoadResult::Sent);
        EXPECT_EQ(readDeviceStatus()->codeTable, before->codeTable);
        std::string table = GetSettings("CodeTableValues", path);
        size_t twentieth = 0;
        for (int piece = 0; piece < 20; ++piece) {
            twentieth = table.find(',', twentieth) + 1;
        }
        std::string firstTwenty = table.substr(0, twentieth);
        ASSERT_TRUE(CIniFile::SetValue("CodeTableValues", firstTwenty, "appSettings", path));
        ASSERT_EQ(load_data_from_file(world.ui, path), LoadResult::Sent);
        auto after = readDeviceStatus()->codeTable;
        after.resize(20);
        before->codeTable.resize(20);
        EXPECT_EQ(after, before->codeTable);
    }
}

TEST(Save, AnUnwritableFileOrNoKeypadSaysSo) {
    World world("keys=8", {.openKeypad = true});
    RecordingUi& ui = world.ui;
    KeypadFields fields;
    std::string missing = world.folder.file("missing/s.ini");
    EXPECT_EQ(SaveToConfigFile(ui, fields, missing), SaveResult::WriteFailed);
    EXPECT_EQ(ui.warnings(),
              std::vector<std::string>(9, "Failed to update USBUtilityCfg.ini file."))
        << "one for every key";
    ui.messages.clear();
    closeKeypad();
    std::string path = world.folder.file("s.ini");
    ASSERT_TRUE(ensureSettingsFile(path));
    std::string before = fileBytes(path);
    EXPECT_EQ(SaveToConfigFile(ui, fields, path), SaveResult::StatusFailed);
    EXPECT_EQ(ui.warnings(), std::vector<std::string>{"Unable to Save Config file."});
    EXPECT_EQ(fileBytes(path), before);
}

}  // namespace
}  // namespace lumora_usb_encoder
