// Every writer of a file, with each system call of its save failing in turn: it says so in its
// own words, the file it was to replace stays whole, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/failing_files.h"
#include "common/settings_text.h"
#include "common/world.h"
#include "settings/config_files.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"
#include "upgrade/upgrade_mode.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

const std::string kUpdateFailed = "Failed to update USBUtilityCfg.ini file.";

// What the writers find: an open keypad, the settings file (naming the image an upgrade here
// notes), a file to import, and the exchange file an earlier export left.
struct Desk {
    Desk() {
        fs::create_directories(world.folder.path() / "cfg");
        fs::create_directories(world.folder.path() / "usb");
        settings = world.folder.write(
            "cfg/USBUtilityCfg.ini",
            savedSettingsText({{"FirmwareFile", fs::path(kSampleFirmware).filename().string()}}));
        chosen = world.folder.write("usb/USBUtilityQuillonCfg.ini",
                                    savedSettingsText({{"LedBrightness", "8"}}));
        exported = world.folder.write("cfg/USBUtilityQuillonCfg.ini", "exported before");
        world.ui.unscriptedAnswer = true;
    }
    World world{"keys=8", {.loader = true, .openKeypad = true}};
    std::string settings;
    std::string backup = upgradeBackupPath(world.folder.file("cfg/USBUtilityCfg.ini"));
    std::string chosen;
    std::string exported;
    std::string said;  // every warning and log line
    UpgradeOutcome upgrade() {
        auto log = [this](int, const std::string& text) { said += text; };
        return runFirmwareUpgrade({kSampleFirmware, "", settings}, world.ui, log);
    }
};

struct Writer {
    const char* name;
    const char* file;       // the name of the file it writes, where the fault is put
    bool (*failed)(Desk&);  // the job's result says it failed (or, for a note, that it went on)
    std::string (*says)(Desk&, FileCall);
    bool locks = true;
    void (*before)(Desk&) = nullptr;  // what is on the disk before it runs
};

std::string busyOr(Desk& desk, FileCall call, const std::string& failure) {
    return call == FileCall::Lock ? fileBusyMessage(desk.settings) : failure;
}

const Writer kWriters[] = {
    {"SettingsSave", "USBUtilityCfg.ini",
     [](Desk& d) {
         KeypadFields fields;
         return SaveToConfigFile(d.world.ui, fields, d.settings) == SaveResult::WriteFailed;
     },
     [](Desk& d, FileCall call) { return busyOr(d, call, kUpdateFailed); }},
    // Export reads the settings file, which is only ever replaced whole: it takes no lock.
    {"Export", "USBUtilityQuillonCfg.ini",
     [](Desk& d) {
         return exportConfigFileTo(d.world.ui, d.exported, d.settings) == ExportResult::CopyFailed;
     },
     [](Desk&, FileCall) { return std::string("Failed to export the file"); }, false},
    {"Import", "USBUtilityCfg.ini",
     [](Desk& d) {
         auto outcome = importConfigFileFrom(d.world.ui, d.chosen, d.settings);
         return outcome.result == ImportResult::CopyFailed;
     },
     [](Desk& d, FileCall call) { return busyOr(d, call, "Failed to copy the new file."); }},
    // A note for the window's next upgrade: the upgrade goes on without it.
    {"FirmwareFileKey", "USBUtilityCfg.ini",
     [](Desk& d) { return d.upgrade() == UpgradeOutcome::Done; },
     [](Desk& d, FileCall call) { return busyOr(d, call, kUpdateFailed); }},
    {"BackupFromATerminal", "UpgradeBackup.ini",
     [](Desk& d) { return d.upgrade() == UpgradeOutcome::Failed; },
     [](Desk& d, FileCall) { return backupNotWrittenMessage(d.backup, "\r\n"); }},
    {"BackupFromTheButton", "UpgradeBackup.ini",
     [](Desk& d) {
         KeypadFields fields;
         UpgradeCapture capture;
         return requestFirmwareUpgrade(d.world.ui, fields, capture, d.backup) ==
                UpgradeModeResult::BackupFailed;
     },
     [](Desk& d, FileCall) { return backupNotWrittenMessage(d.backup); }},
    // The backup an upgrade wrote, marked just before the flash changes.
    {"BackupStage", "UpgradeBackup.ini",
     [](Desk& d) {
         auto stopped = keepBackupForFlashChange(d.backup, readKeypadSettings());
         d.said += stopped.value_or("");
         return stopped.has_value();
     },
     [](Desk& d, FileCall) {
         return "The settings backup cannot be written: " + d.backup + "\r\nNothing was erased";
     },
     true,
     [](Desk& d) {
         auto settings = readKeypadSettings();
         ASSERT_TRUE(settings && writeUpgradeBackup(d.backup, *settings, "fw.txt"));
     }},
};

const FileCall kCalls[] = {FileCall::Open,  FileCall::Write,   FileCall::Sync,
                           FileCall::Close, FileCall::Replace, FileCall::Lock};

struct Row {
    const Writer* writer;
    FileCall call;
};

std::vector<Row> everyWriterAndCall() {
    std::vector<Row> rows;
    for (const Writer& writer : kWriters) {
        for (FileCall call : kCalls) {
            if (writer.locks || call != FileCall::Lock) {
                rows.push_back({&writer, call});
            }
        }
    }
    return rows;
}

// Every file in the folder and below it, with its bytes.
std::map<std::string, std::string> filesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".lock") {
            files[fs::relative(entry.path(), folder).generic_string()] =
                fileBytes(entry.path().string());
        }
    }
    return files;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.writer->name << " meeting a failed " << row.call;
}

class FileFaultMatrix : public ::testing::TestWithParam<Row> {};

TEST_P(FileFaultMatrix, TheWriterSaysSoAndLeavesEveryFileAsItWas) {
    const auto& [writer, call] = GetParam();
    Desk desk;
    if (writer->before != nullptr) {
        writer->before(desk);
    }
    const auto before = filesIn(desk.world.folder.path());
    FailingFiles failing(call, writer->file);
    bool failed = writer->failed(desk);
    for (const auto& warning : desk.world.ui.warnings()) {
        desk.said += warning + "\n";
    }
    EXPECT_TRUE(failed) << desk.said;
    EXPECT_GT(failing.failed(), 0) << "the fault was never reached";
    EXPECT_NE(desk.said.find(writer->says(desk, call)), std::string::npos) << desk.said;
    EXPECT_EQ(filesIn(desk.world.folder.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, FileFaultMatrix, ::testing::ValuesIn(everyWriterAndCall()),
                         [](const ::testing::TestParamInfo<Row>& row) {
                             return std::string(row.param.writer->name) + "_" +
                                    callName(row.param.call);
                         });

}  // namespace
}  // namespace lumora_usb_encoder::testing
