// quillonctl as a user meets it when something is off: each run's exit status, what it says,
// what it sends, and that a run that fails leaves every file as it was and nothing new behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli_runner.h"
#include "common/sent_commands.h"
#include "common/temp_folder.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSaved =
    " [appSettings]\r\n SerialNumber=QK0000012345\r\n Options=6\r\n"
    " CodeTableValues=0,4,0,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,\r\n BuzzerPeriod=2\r\n"
    " Buzzer=1\r\n LedColour=0\r\n LedBrightness=3\r\n KeypadLayout=2\r\n FirstUp=Yes\r\n";

// The files a run may meet, each in a folder of its own.
const std::map<std::string, std::string> kFiles = {
    {"notes.txt", "line one\nline two\n"},
    {"settings/USBUtilityCfg.ini", kSaved},
    {"backup/UpgradeBackup.ini", kSaved},
    {"usb/USBUtilityQuillonCfg.ini", " [appSettings]\r\n Options=6\r\n FirstUp=\r\n"},
    {"cr/USBUtilityQuillonCfg.ini", "[appSettings]\rFirstUp=Yes\rOptions=6\r"},
    {"bom.ini", "\xEF\xBB\xBF" + kSaved},
    {"blocked", "a file where a folder would go"},
    {"ram6.txt", "@2500\n00 06 05 34 FF 3F\nq\n"},
};

// Every file under `root` with its bytes.
std::map<std::string, std::string> contents(const fs::path& root) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        found[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<folder>" : fileBytes(entry.path().string());
    }
    return found;
}

std::string withFolder(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) {
        text.replace(at, 5, folder);
    }
    return text;
}

SentCommand keypadType(uint8_t type) {
    return {Command::KeypadType, {type}};
}

TEST(QuillonctlExits, EachRunEndsAsItSaysAndAFailedOneLeavesNothing) {
    const std::string image = QUILLON_SAMPLE_FIRMWARE;
    const std::string settings = " --settings {dir}/settings/USBUtilityCfg.ini ";
#ifdef _WIN32
    const std::string escape = "\"AB\x1b[31mCDEFG\"";  // the command interpreter passes it on
#else
    const std::string escape = "\"$(printf 'AB\\033[31mCDEFG')\"";
#endif
    // The arguments, the exit status, words of what it says (stdout or stderr), what it sends
    // that changes something.
    const std::tuple<const char*, std::string, int, std::string, std::vector<SentCommand>> cases[] =
        {
            {"SetTableDefaultOn12Keys",
             "--simulate=keys=12,type=5 set table default",
             0,
             "",
             {keypadType(3)}},
            {"SetTableAlternateOn16Keys",
             "--simulate=keys=16 set table alternate",
             0,
             "",
             {keypadType(7)}},
            {"SetTableCustomOn16Keys",
             "--simulate=keys=16 set table custom",
             0,
             "",
             {keypadType(8)}},
            {"SetTableCustomOn8Keys", "--simulate=keys=8 set table custom", 0, "", {keypadType(2)}},
            {"SaveOverTextNotes",
             "--simulate --settings {dir}/notes.txt save",
             2,
             "notes.txt was left as it is: it has a line that is no setting, section or comment",
             {}},
            {"SaveToANewFile",
             "--simulate --settings {dir}/new.ini save",
             0,
             "",
             {{Command::WriteDefaults, {}}}},
            {"ImportOfAnUnsavedFile",
             "--simulate" + settings + "config import {dir}/usb/" + "USBUtilityQuillonCfg.ini",
             2,
             "holds no saved settings (FirstUp is not Yes)",
             {}},
            {"ImportOfAnUnsavedFileWithYes",
             "--simulate --yes" + settings + "config import {dir}/usb/USBUtilityQuillonCfg.ini",
             0,
             "",
             {}},
            {"ImportOfACarriageReturnFile",
             "--simulate" + settings + "config import {dir}/cr/USBUtilityQuillonCfg.ini",
             2,
             "ends its lines in a carriage return alone",
             {}},
            {"RestoreOfAFileWithAByteOrderMark",
             "--simulate config restore {dir}/bom.ini",
             2,
             "starts with a byte-order mark",
             {}},
            {"RestoreIntoAFolderThatIsNotThere",
             "--simulate --settings {dir}/nowhere/deeper/USBUtilityCfg.ini config restore",
             2,
             "holds no saved settings",
             {}},
            {"UpgradeWithNoRoomForTheBackup",
             "--simulate --yes --settings " +
                 std::string("{dir}/blocked/USBUtilityCfg.ini firmware upgrade ") + image,
             4,
             "The settings backup cannot be written",
             {}},
            {"UpgradeWithASixByteRamLoader",
             "--simulate --yes" + settings + "firmware upgrade " + image +
                 " --ram-bsl {dir}/ram6.txt",
             4,
             "holds 6 of the 2793 bytes",
             {}},
            {"TableSetWithASignedCode",
             "--simulate=keys=16,type=8 table set 1=0x-4",
             2,
             "unknown code '0x-4'",
             {}},
            {"TableSetOfOneKeyTwice",
             "--simulate=keys=16,type=8 table set 1=0x04 1=0x05",
             2,
             "key 1 is given twice ('1=0x04' and '1=0x05')",
             {}},
            {"RestoreSettingsWithNoKeypad",
             "--simulate=absent=1" + settings +
                 "firmware restore-settings {dir}/backup/UpgradeBackup.ini",
             3,
             "Vorla Quillon™ not connected..",
             {}},
            {"RestoreSettingsTheKeypadLeavesHalfWay",
             "--simulate=fault=unplug@3 firmware restore-settings {dir}/backup/UpgradeBackup.ini",
             1,
             "Unable to set Keypad Type..",
             {{Command::Options, {6}},
              {Command::SerialNumber, {'Q', 'K', '0', '0', '0', '0', '0', '1', '2', '3', '4', '5'}},
              {Command::FactoryReset, {}},
              keypadType(2)}},
            {"FactoryResetTheKeypadNeverComesBackFrom",
             "--simulate=fault=unplug@0 factory-reset",
             1,
             "Vorla Quillon™ not connected..",
             {{Command::FactoryReset, {}}}},
            {"SelfTestWhoseRestoreFails",
             "--simulate=fault=unplug@2 --json selftest --stages keys --keys-time 1",
             1,
             "\"restored\":false",
             {keypadType(0),
              keypadType(0),
              {Command::BuzzerPeriod, {3}},
              {Command::LedBrightness, {5}}}},
            {"SerialNumberWithAnEscapeSequence",
             "--simulate=serial=" + escape + " status",
             0,
             "Serial Number          -    AB\\x1b[31mCDEFG",
             {}},
        };
    for (const auto& [name, arguments, exitCode, says, changes] : cases) {
        SCOPED_TRACE(name);
        TempFolder folder;
        for (const auto& [file, bytes] : kFiles) {
            fs::create_directories((folder.path() / file).parent_path());
            folder.write(file, bytes);
        }
        auto before = contents(folder.path());
        auto run = runQuillonctl("--trace " + withFolder(arguments, folder.path().string()));
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_NE((run.out + run.err).find(says), std::string::npos) << run.out << run.err;
        EXPECT_EQ(withoutStatusReads(tracedCommands(run.err)), changes);
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "no control character printed";
        if (exitCode != 0) {
            EXPECT_EQ(contents(folder.path()), before);
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
