// A fault or a kill at any point of an upgrade: the loader's phases, and each command of the
// restore that follows the programming. The job never reports more than it did, the backup stays
// until the settings are back, and once the fault is gone the next upgrade or restore puts them
// back.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>

#include "../upgrade/upgrade_run.h"
#include "common/world.h"
#include "keypad_fault.h"
#include "upgrade/pending_backup.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

struct Killed {};  // thrown where a kill would have ended the process

using Mishap = std::optional<Fault>;  // none: the process is killed there
const Mishap kKill;

std::string mishapName(const Mishap& mishap) {
    return mishap ? faultName(*mishap) : "kill";
}

// The last log line of a programming that failed; an erase or a data block the loader swallowed
// is found by the verification, as those commands have no answer to wait for, and a loader that
// left on the way is said to be lost.
const std::set<std::string> kProgrammingFailures = {
    "Password FAILED!\r\n", "Memory verification error\r\n", "USB device was unplugged!\r\n",
    "The loader device was lost during the transfer; the image could not be verified. Reconnect "
    "the keypad and run the upgrade again: it starts from the loader.\r\n"};

// An upgrade of a keypad with settings of its own, with a mishap put at one point of it.
struct FaultyUpgrade {
    World world{keypadWithItsOwnSettings(), {.loader = true, .openKeypad = true}};
    UpgradeRun run{world};
    Mishap mishap;
    const char* logLine = nullptr;  // at the first loader report after this log line, or
    bool atUpgradeMode = false;     // on the upgrade mode command, or
    int restoreCommand = 0;         // on this keypad command after the programming
    bool programmed = false;
    bool replyFaultOn = false;
    int restoreCommands = 0;

    FaultyUpgrade() {
        run.onLog = [this](const std::string& text) { logged(text); };
        world.onReport = [this](const hid::TracedReport& report) { heard(report); };
    }

    void logged(const std::string& text) {
        programmed = programmed || text == "Done!";
        if (logLine == nullptr || text.rfind(logLine, 0) != 0) {
            return;
        }
        logLine = nullptr;
        if (!mishap) {
            throw Killed{};
        }
        std::lock_guard lock(world.bus().mutex());
        if (*mishap == Fault::NoReply) {
            world.loader->faults.noReply = true;
        } else {
            world.loader->faults.unplugAfterReports = 1;
        }
    }

    void heard(const hid::TracedReport& report) {
        auto& faults = world.keypad().faults;
        if (replyFaultOn) {
            endReplyFault(faults);
            replyFaultOn = false;
        }
        auto sent = decodeWritten(report);
        // Before the programming only the upgrade mode command counts.
        bool upgradeMode =
            atUpgradeMode && !programmed && sent && sent->command == Command::UpgradeMode;
        bool restoreStep = programmed && sent && ++restoreCommands == restoreCommand;
        if (!upgradeMode && !restoreStep) {
            return;
        }
        atUpgradeMode = false;
        if (!mishap) {
            throw Killed{};
        }
        replyFaultOn = true;
        putFault(faults, *mishap);
    }

    // Runs the upgrade; a kill gives RestoreFailed, as the backup is all that is left.
    UpgradeOutcome upgradeOrKill(bool& killed) {
        try {
            return run.upgrade();
        } catch (const Killed&) {
            killed = true;
            return UpgradeOutcome::RestoreFailed;
        }
    }

    // The fault is gone and whatever left the bus is plugged back in.
    void mend() {
        logLine = nullptr;
        restoreCommand = 0;
        {
            std::lock_guard lock(world.bus().mutex());
            world.keypad().faults = {};
            world.loader->faults = {};
        }
        if (!world.keypadPresent() && !world.loaderPresent()) {
            world.loader->replug();
        }
        Sleep(5000);
        world.bus().poll();
        if (!world.keypadPresent() && !world.loaderPresent()) {
            world.bus().attach(world.simulation.keypad);
            world.bus().poll();
        }
        (void)rescanKeypad(world.ui);  // as the programs open the keypad before an upgrade
    }
};

// What the next upgrade makes of the backup a stopped one left: the keypad found working with
// its flash untouched retires it, and its settings of now go back; otherwise the backup's do.
enum class Backup { Retired, WrittenBack };

struct PhaseRow {
    Mishap mishap;
    const char* point;  // a log line, or kUpgradeMode for the upgrade mode command
    Backup next;
};

const char* const kUpgradeMode = "the upgrade mode command";
const std::string kSendingImage = "Sending " + kSampleFirmware;

// An unanswered password counts as the mass erase a wrong one makes; a loader that left before
// the first erase comes back, when plugged in again, as the keypad it was.
const PhaseRow kPhaseRows[] = {
    {kKill, kUpgradeMode, Backup::Retired},
    {kKill, "Starting", Backup::WrittenBack},
    {kKill, "Password Sent Successfully", Backup::WrittenBack},
    {kKill, "Sending RAM BSL", Backup::WrittenBack},
    {kKill, "Erasing memory segments", Backup::WrittenBack},
    {kKill, kSendingImage.c_str(), Backup::WrittenBack},
    {kKill, "Verifying memory", Backup::WrittenBack},
    {kKill, "Done!", Backup::WrittenBack},
    {Fault::NoReply, "Starting", Backup::WrittenBack},
    {Fault::NoReply, "Password Sent Successfully", Backup::WrittenBack},
    {Fault::NoReply, "Sending RAM BSL", Backup::WrittenBack},
    {Fault::NoReply, "Erasing memory segments", Backup::WrittenBack},
    {Fault::NoReply, kSendingImage.c_str(), Backup::WrittenBack},
    {Fault::NoReply, "Verifying memory", Backup::WrittenBack},
    {Fault::Unplug, "Starting", Backup::Retired},
    {Fault::Unplug, "Password Sent Successfully", Backup::Retired},
    {Fault::Unplug, "Sending RAM BSL", Backup::Retired},
    {Fault::Unplug, "Erasing memory segments", Backup::WrittenBack},
    {Fault::Unplug, kSendingImage.c_str(), Backup::WrittenBack},
    {Fault::Unplug, "Verifying memory", Backup::WrittenBack},
};

// The loader stops answering or leaves at each phase, or the program is killed there: the upgrade
// fails and keeps its backup. Once the keypad is found working with its flash untouched the next
// upgrade retires the backup and keeps what the keypad holds then (changed in between); otherwise
// it programs the keypad and writes the settings from that backup back.
TEST(UpgradeFaults, AFaultOrKillAtEachPhaseFailsAndTheNextUpgradeRecovers) {
    const std::string usingBackup = "Using the settings saved before an earlier upgrade: ";
    const std::string retired = std::string(kBackupRetiredLine) + "\r\n";
    for (const PhaseRow& row : kPhaseRows) {
        SCOPED_TRACE(mishapName(row.mishap) + " at " + row.point);
        FaultyUpgrade faulty;
        UpgradeRun& run = faulty.run;
        faulty.mishap = row.mishap;
        faulty.atUpgradeMode = row.point == kUpgradeMode;
        faulty.logLine = faulty.atUpgradeMode ? nullptr : row.point;
        bool killed = false;
        UpgradeOutcome outcome = faulty.upgradeOrKill(killed);
        EXPECT_EQ(killed, !row.mishap);
        if (!killed) {
            EXPECT_EQ(outcome, UpgradeOutcome::Failed);
            ASSERT_FALSE(run.log.empty());
            EXPECT_TRUE(kProgrammingFailures.count(run.log.back())) << run.log.back();
        }
        EXPECT_TRUE(fs::exists(run.backup));
        faulty.mend();
        KeypadSettings expected = run.original;
        if (row.next == Backup::Retired) {
            expected.ledBrightness = 1;  // changed since: the backup must not undo it
            ASSERT_EQ(sendByte(Command::LedBrightness, 1), kResultOk);
        }
        run.log.clear();
        EXPECT_EQ(run.upgrade(), UpgradeOutcome::Done);
        EXPECT_EQ(run.logged(retired), row.next == Backup::Retired);
        EXPECT_EQ(run.logged(usingBackup + run.backup + "\r\n"), row.next == Backup::WrittenBack);
        EXPECT_EQ(run.settingsNow(), expected);
        EXPECT_FALSE(fs::exists(run.backup));
    }
}

// Each fault class, and a kill, on each command of the restore: the programming stands, the
// restore says where it stopped (or the keypad really holds its settings), and a restore from the
// backup finishes the job.
TEST(UpgradeFaults, ARestoreFaultAtEachCommandKeepsTheBackupUntilTheSettingsAreBack) {
    int commands = 0;
    {
        FaultyUpgrade clean;
        ASSERT_EQ(clean.run.upgrade(), UpgradeOutcome::Done);
        commands = clean.restoreCommands;
    }
    ASSERT_GT(commands, 5);
    std::vector<Mishap> mishaps(std::begin(kFaults), std::end(kFaults));
    mishaps.push_back(kKill);
    for (const Mishap& mishap : mishaps) {
        for (int command = 1; command <= commands; ++command) {
            SCOPED_TRACE(mishapName(mishap) + " at restore command " + std::to_string(command));
            FaultyUpgrade faulty;
            UpgradeRun& run = faulty.run;
            faulty.mishap = mishap;
            faulty.restoreCommand = command;
            bool killed = false;
            UpgradeOutcome outcome = faulty.upgradeOrKill(killed);
            if (outcome == UpgradeOutcome::Done) {
                EXPECT_EQ(run.settingsNow(), run.original);
                EXPECT_FALSE(fs::exists(run.backup));
                continue;
            }
            EXPECT_EQ(outcome, UpgradeOutcome::RestoreFailed);
            EXPECT_EQ(killed, !mishap);
            EXPECT_TRUE(killed || !faulty.world.ui.warnings().empty());
            ASSERT_TRUE(fs::exists(run.backup));
            faulty.mend();
            std::string problem;
            EXPECT_TRUE(run.restoreFromBackup(problem)) << problem;
            EXPECT_EQ(run.settingsNow(), run.original);
            EXPECT_FALSE(fs::exists(run.backup));
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
