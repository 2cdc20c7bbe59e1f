// The settings jobs meet files that are not what they expect: a file the settings model cannot
// hold, one that cannot be read as a settings file at all, an exchange file that holds no saved
// settings. None of them may lose what a file holds or send anything unasked.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "common/world.h"
#include "settings/config_files.h"
#include "settings/keypad_fields.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::RecordingUi;
using testing::World;

const std::string kSaved =
    " [appSettings]\r\n SerialNumber=\r\n Options=6\r\n BuzzerPeriod=2\r\n Buzzer=1\r\n"
    " LedColour=0\r\n LedBrightness=3\r\n KeypadLayout=1\r\n FirstUp=Yes\r\n";
const std::string kUnsaved = " [appSettings]\r\n Options=6\r\n FirstUp=\r\n";
const std::string kByteOrderMark = "\xEF\xBB\xBF";

// A world whose keypad is open, as the window has it after its start.
testing::WorldOptions opened() {
    testing::WorldOptions options;
    options.openKeypad = true;
    return options;
}

TEST(SaveTarget, OnlyAFileTheSettingsModelHoldsIsReplaced) {
    // The file before the save, and why it is left as it is ("": it is saved).
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"EmptyFile", "", ""},
        {"OwnFileWithAComment", "# mine\r\n" + kUnsaved, ""},
        {"TextNotes", "line one\nline two\n",
         "has a line that is no setting, section or comment (line 1)"},
        {"NotesAfterTheSettings", kUnsaved + "buy milk\r\n",
         "has a line that is no setting, section or comment (line 4)"},
        {"SectionWithText", "[appSettings] owner\nFirstUp=\n",
         "has a line that is no setting, section or comment (line 1)"},
        {"BinaryFile", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16), "holds binary data"},
        {"CarriageReturnsOnly", "[appSettings]\rFirstUp=\r",
         "ends its lines in a carriage return "
         "alone"},
        {"ByteOrderMark", kByteOrderMark + kUnsaved, "starts with a byte-order mark"},
    };
    for (const auto& [name, before, why] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", opened());
        std::string file = world.folder.write("notes.ini", before);
        KeypadFields fields;
        SaveResult result = SaveToConfigFile(world.ui, fields, file);
        if (why.empty()) {
            EXPECT_EQ(result, SaveResult::Saved);
            EXPECT_EQ(GetSettings("FirstUp", file), "Yes");
            EXPECT_TRUE(world.ui.messages.empty());
            continue;
        }
        EXPECT_EQ(result, SaveResult::WriteFailed);
        // The upgrade's note of its image file is refused the same way.
        EXPECT_FALSE(SetSettings(world.ui, file, "FirmwareFile", "image.txt"));
        EXPECT_EQ(fileBytes(file), before);
        const std::string leftAsItIs = file + " was left as it is: it " + why + ".";
        EXPECT_EQ(world.ui.warnings(), std::vector<std::string>(2, leftAsItIs));
    }
}

TEST(SaveTarget, OwnCommentsStayThrough) {
    World world("keys=8", opened());
    std::string file = world.folder.write("s.ini", "# mine\r\n" + kUnsaved);
    KeypadFields fields;
    ASSERT_EQ(SaveToConfigFile(world.ui, fields, file), SaveResult::Saved);
    EXPECT_EQ(fileBytes(file).rfind("# mine\r\n [appSettings]\r\n", 0), 0u) << fileBytes(file);
}

const char* kUnsavedQuestion =
    " holds no saved settings (its FirstUp is not Yes), so nothing is sent to the keypad. "
    "Replace the settings file with it all the same? The settings saved there are lost.";

TEST(ImportOfAnUnsavedFile, ReplacesTheSettingsFileOnlyWhenTheUserSaysSo) {
    using enum ImportResult;
    // The exchange file, the answer to a question (none: not answered), the outcome, whether
    // it was asked, whether its settings were sent.
    const std::tuple<const char*, std::string, std::optional<bool>, ImportResult, bool, bool>
        cases[] = {
            {"EmptyFirstUpUnanswered", kUnsaved, std::nullopt, KeptUnsaved, true, false},
            {"EmptyFirstUpAnsweredNo", kUnsaved, false, KeptUnsaved, true, false},
            {"EmptyFirstUpAnsweredYes", kUnsaved, true, Imported, true, false},
            {"FirstUpNo", " [appSettings]\r\n FirstUp=No\r\n", std::nullopt, KeptUnsaved, true,
             false},
            {"FirstUpInSmallLetters", " [appSettings]\r\n FirstUp=yes\r\n", std::nullopt,
             KeptUnsaved, true, false},
            {"SavedFileIsNotAsked", kSaved, std::nullopt, Imported, false, true},
        };
    for (const auto& [name, content, answer, result, asked, sends] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", opened());
        std::string settings = world.folder.write("USBUtilityCfg.ini", kSaved);
        std::filesystem::create_directory(world.folder.path() / "usb");
        std::string chosen = world.folder.write("usb/USBUtilityQuillonCfg.ini", content);
        if (answer) {
            world.ui.answers.push_back(*answer);
        }
        world.forgetSent();
        EXPECT_EQ(importConfigFileFrom(world.ui, chosen, settings).result, result);
        EXPECT_EQ(fileBytes(settings), result == Imported ? content : kSaved);
        EXPECT_EQ(world.changesSent().empty(), !sends);
        const std::string question = "Vorla Quillon™: " + chosen + kUnsavedQuestion;
        EXPECT_EQ(world.ui.shown(RecordingUi::Kind::Question),
                  std::vector<std::string>(asked, question));
        EXPECT_TRUE(world.ui.warnings().empty());
    }
}

// Import and "Reset From Configuration File" alike: nothing sent, nothing copied, and the file
// named for what it is rather than taken for one that holds nothing.
TEST(FilesThatCannotBeRead, AreSaidToBeWhatTheyAre) {
    // The file's content (none: a folder stands in its place), why it cannot be read.
    const std::tuple<const char*, std::optional<std::string>, std::string> cases[] = {
        {"CarriageReturnsOnly", "[appSettings]\rFirstUp=Yes\rOptions=6\r",
         "ends its lines in a carriage return alone"},
        {"ByteOrderMarkBeforeTheSection", kByteOrderMark + kSaved, "starts with a byte-order mark"},
        {"NoFileToOpen", std::nullopt, "cannot be opened"},
    };
    for (const auto& [name, content, why] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", opened());
        std::string settings = world.folder.write("USBUtilityCfg.ini", kSaved);
        std::filesystem::create_directory(world.folder.path() / "usb");
        std::string chosen = world.folder.file("usb/USBUtilityQuillonCfg.ini");
        if (content) {
            world.folder.write("usb/USBUtilityQuillonCfg.ini", *content);
        } else {
            std::filesystem::create_directory(chosen);
        }
        std::string said = chosen + " cannot be read as a settings file: it " + why + ".";
        world.forgetSent();
        EXPECT_EQ(importConfigFileFrom(world.ui, chosen, settings).result,
                  ImportResult::Unreadable);
        EXPECT_EQ(load_data_from_file(world.ui, chosen), LoadResult::Unreadable);
        EXPECT_EQ(world.ui.warnings(), std::vector<std::string>(2, said));
        EXPECT_EQ(fileBytes(settings), kSaved);
        EXPECT_TRUE(world.sent().empty());
    }
}

TEST(FilesThatCannotBeRead, AMissingSettingsFileIsSaidToBeMissing) {
    World world("keys=8", opened());
    std::string gone = world.settingsFile();
    EXPECT_EQ(load_data_from_file(world.ui, gone), LoadResult::Unreadable);
    EXPECT_EQ(world.ui.warnings(), std::vector<std::string>{gone + " cannot be read as a settings "
                                                                   "file: it does not exist."});
}

}  // namespace
}  // namespace lumora_usb_encoder
