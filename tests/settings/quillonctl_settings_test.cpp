#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "../cli/cli_runner.h"
#include "common/lock_holder.h"
#include "common/scoped_env.h"
#include "common/sent_commands.h"
#include "common/temp_folder.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::runQuillonctl;
using testing::TempFolder;

// The command codes of the reports written, from a --trace log.
std::vector<Command> commandsWritten(const std::string& trace) {
    auto sent = testing::tracedCommands(trace);
    std::vector<Command> codes(sent.size());
    std::transform(sent.begin(), sent.end(), codes.begin(), [](auto& s) { return s.command; });
    return codes;
}

TEST(QuillonctlSettings, FirstUseRestoreSendsNothingASavedFileIsSentBack) {
    TempFolder folder;
    auto first =
        runQuillonctl("--simulate --trace config restore",
                      std::string(testing::kLocalDataVariable) + "=" + folder.path().string());
    EXPECT_EQ(first.exitCode, 2);
    EXPECT_EQ(commandsWritten(first.err), (std::vector<Command>{Command::Status}))
        << "only the status read";
    EXPECT_FALSE(std::filesystem::exists(folder.file("VorlaInterface")))
        << "a restore that failed leaves nothing it made";
    std::string settings = folder.file("cfg/USBUtilityCfg.ini");
    auto save = runQuillonctl("--simulate=keys=8,type=2 --settings " + settings + " --trace save");
    ASSERT_EQ(save.exitCode, 0) << save.err;
    EXPECT_EQ(commandsWritten(save.err),
              (std::vector<Command>{Command::WriteDefaults, Command::Status}));
    EXPECT_NE(fileBytes(settings).find(" KeypadLayout=2\r\n FirstUp=Yes\r\n"), std::string::npos);
    auto restore = runQuillonctl("--simulate --settings " + settings + " --trace config restore");
    EXPECT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(commandsWritten(restore.err),
              (std::vector<Command>{Command::Options, Command::FactoryReset, Command::KeypadType,
                                    Command::CodeTable, Command::LedBrightness, Command::LedColour,
                                    Command::Buzzer, Command::BuzzerPeriod, Command::WriteDefaults,
                                    Command::Status}));
    EXPECT_NE(restore.out.find("Customise Table"), std::string::npos) << restore.out;
}

TEST(QuillonctlSettings, ExportAsksBeforeOverwritingAndImportChecksTheName) {
    TempFolder folder;
    std::string settings = folder.write("USBUtilityCfg.ini", " [appSettings]\r\n FirstUp=\r\n");
    std::filesystem::create_directory(folder.path() / "out");
    std::string target = folder.write("out/USBUtilityQuillonCfg.ini", "old");
    std::string exportTo = "--settings " + settings + " config export " + folder.file("out");
    EXPECT_EQ(runQuillonctl(exportTo).exitCode, 2);
    EXPECT_EQ(fileBytes(target), "old");
    auto forced = runQuillonctl(exportTo + " --yes");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(fileBytes(target), fileBytes(settings));
    std::string unsaved = " [appSettings]\r\n SerialNumber=X\r\n FirstUp=\r\n";
    std::string importFrom = "--simulate --settings " + settings + " config import ";
    auto refused = runQuillonctl(importFrom + folder.write("usbutilityquilloncfg.ini", unsaved));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("Incorrect Filename."), std::string::npos);
    auto imported =
        runQuillonctl(importFrom + folder.write("USBUtilityQuillonCfg.ini", unsaved) + " --yes");
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(fileBytes(settings), unsaved);
}

// Another program holds the settings file's lock for longer than a save waits: the save says so
// and sends nothing.
TEST(QuillonctlSettings, SaveRefusesAFileAnotherProgramHolds) {
    TempFolder folder;
    const std::string before = " [appSettings]\r\n FirstUp=\r\n";
    std::string settings = folder.write("USBUtilityCfg.ini", before);
    testing::LockHolder holder(settings);
    ASSERT_TRUE(holder.holds());
    auto save = runQuillonctl("--simulate --settings " + settings + " --trace save");
    EXPECT_EQ(save.exitCode, 2);
    EXPECT_NE(save.err.find(settings + " is busy: another program is writing it."),
              std::string::npos)
        << save.err;
    EXPECT_EQ(commandsWritten(save.err), std::vector<Command>{});
    EXPECT_EQ(fileBytes(settings), before);
}

TEST(QuillonctlSettings, TableShowListsEveryKeyWithItsLabels) {
    auto text = runQuillonctl("--simulate=keys=12,type=5 table show");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.substr(0, text.out.find('\n')), "1\t None\t0x04    a");
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 12);
    auto json = runQuillonctl("--simulate=keys=16,type=8 --json table show");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto parsed = nlohmann::json::parse(json.out);
    ASSERT_EQ(parsed["keys"].size(), 16u);
    EXPECT_EQ(parsed["keys"][6]["usageLabel"], "0x0A   g");
    EXPECT_EQ(parsed["keys"][6]["modifierLabel"], " None");
}

}  // namespace
}  // namespace lumora_usb_encoder
