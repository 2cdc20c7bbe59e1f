// quillonctl and the upgrade backup: what each command says of it and does with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cli_runner.h"
#include "common/sent_commands.h"
#include "common/settings_text.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

const std::string kPending = savedSettingsText() + " UpgradeStage=FlashTouched\r\n";
const std::string kUntouched = savedSettingsText() + " UpgradeStage=UpgradeMode\r\n";
const std::string kImage = QUILLON_SAMPLE_FIRMWARE;

// The upgrade mode command as the trace prints it.
const std::string kUpgradeModeTraced = "> 3f 40 02 30 43 30 30 03 72";

enum class After { None, Kept, Gone };

bool contains(const std::vector<SentCommand>& sent, const SentCommand& command) {
    return std::find(sent.begin(), sent.end(), command) != sent.end();
}

// "{dir}" is the scratch folder, "{backup}" the backup as the program names it there.
std::string inFolder(std::string text, const std::string& folder) {
    const std::string backup = upgradeBackupPath(folder + "/cfg/USBUtilityCfg.ini");
    for (size_t at; (at = text.find("{backup}")) != std::string::npos;) {
        text.replace(at, 8, backup);
    }
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) {
        text.replace(at, 5, folder);
    }
    return text;
}

// One run beside a settings file in a scratch folder, and a backup there when given.
struct BesideRun {
    CliRun run;
    bool backupThere = false;
    std::string folder;
};

BesideRun runBeside(const std::string& backup, const std::string& arguments) {
    static int count = 0;
    std::string folder = ::testing::TempDir() + "/cli_backup_" + std::to_string(++count);
    fs::remove_all(folder);
    fs::create_directories(folder + "/cfg");
    std::string path = folder + "/cfg/UpgradeBackup.ini";
    if (!backup.empty()) {
        std::ofstream(path, std::ios::binary) << backup;
    }
    std::string settings = " --settings " + folder + "/cfg/USBUtilityCfg.ini --trace ";
    CliRun run = runQuillonctl(inFolder(arguments, folder) + settings);
    return {run, fs::exists(path), folder};
}

TEST(QuillonctlBackup, EachCommandSaysWhatBecomesOfTheBackup) {
    struct Row {
        const char* name;
        std::string backup;  // "": none
        std::string arguments;
        int exitCode;
        std::string says;  // on stderr
        std::vector<SentCommand> changes;
        After after;
    };
    const SentCommand writeDefaults{Command::WriteDefaults, {}};
    const Row rows[] = {
        {"DiscardedWithNothingSent",
         kPending,
         "--simulate firmware discard-backup",
         0,
         "Discarded {backup}; the keypad keeps the settings it has now.",
         {},
         After::Gone},
        {"DiscardWithoutABackup",
         "",
         "--simulate firmware discard-backup",
         0,
         "No settings backup to discard ({backup}).",
         {},
         After::None},
        {"StatusNamesBothCommands",
         kPending,
         "--simulate status",
         0,
         "'quillonctl firmware restore-settings' writes them back, 'quillonctl firmware "
         "discard-backup' discards them",
         {},
         After::Kept},
        {"StatusRetiresAnUntouchedBackup",
         kUntouched,
         "--simulate status",
         0,
         "The keypad came back from its loader untouched; the backup is no longer needed.",
         {},
         After::Gone},
        {"SaveKeepsAPendingBackup",
         kPending,
         "--simulate save",
         0,
         "{backup} is kept: it holds the keypad's settings from before an "
         "interrupted firmware upgrade",
         {writeDefaults},
         After::Kept},
        {"UpgradeWhoseWriteBackFailsKeepsItsBackup",
         "",
         "--simulate=fault=unplug@2 --yes firmware upgrade " + kImage,
         1,
         "Unable to set OPTION..",
         {{Command::UpgradeMode, {}}, {Command::Options, {6}}},
         After::Kept},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BesideRun done = runBeside(row.backup, row.arguments);
        EXPECT_EQ(done.run.exitCode, row.exitCode) << done.run.err;
        std::string says = inFolder(row.says, done.folder);
        EXPECT_NE(done.run.err.find(says), std::string::npos) << done.run.err;
        EXPECT_EQ(withoutStatusReads(tracedCommands(done.run.err)), row.changes);
        EXPECT_EQ(done.backupThere, row.after == After::Kept);
    }
}

// The restore from memory and from a pending backup end the same way; a pending backup that
// differs from the keypad is said before the first command goes out.
TEST(QuillonctlBackup, UpgradesWriteBackWhatTheySay) {
    struct Row {
        const char* name;
        std::string backup;
        std::string simulate;
        uint8_t brightness;  // written back
        uint8_t period;      // written back
        bool warned;
    };
    const Row rows[] = {
        {"PeriodZeroFromMemory", "", "keys=12,type=5,period=0,brightness=4", 4, 2, false},
        {"PendingBackupThatDiffers", kPending, "keys=8,brightness=2", 5, 3, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BesideRun done = runBeside(
            row.backup, "--simulate " + row.simulate + " --yes firmware upgrade " + kImage);
        EXPECT_EQ(done.run.exitCode, 0) << done.run.err;
        auto sent = withoutStatusReads(tracedCommands(done.run.err));
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), (SentCommand{Command::WriteDefaults, {}}));
        EXPECT_TRUE(contains(sent, {Command::BuzzerPeriod, {row.period}}));
        EXPECT_TRUE(contains(sent, {Command::LedBrightness, {row.brightness}}));
        size_t warning = done.run.err.find("run 'quillonctl firmware discard-backup' first");
        EXPECT_EQ(warning != std::string::npos, row.warned) << done.run.err;
        if (row.warned) {
            EXPECT_LT(warning, done.run.err.find(kUpgradeModeTraced));  // before anything is sent
        }
        EXPECT_FALSE(done.backupThere);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
