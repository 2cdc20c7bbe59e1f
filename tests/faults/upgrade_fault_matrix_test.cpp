// A fault at any point of an upgrade: the loader's phases, and each command of the restore that
// follows the programming. The job never reports more than it did, the backup stays until the
// settings are back, and once the fault is gone the next upgrade or restore puts them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "../firmware/loader_world.h"
#include "../support/recording_ui.h"
#include "../support/sent_commands.h"
#include "../support/temp_folder.h"
#include "device/device_connection.h"
#include "device/tracing_backend.h"
#include "keypad_fault.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder {
namespace {

namespace fs = std::filesystem;
using testing::Fault;

// Where a fault lands: at the first loader report after a log line, or on a keypad command of
// the restore (counted from the end of the programming).
struct Point {
    const char* logLine;
    int restoreCommand;
};
const Point kLoaderPhases[] = {{"Starting", 0},
                               {"Password Sent Successfully", 0},
                               {"Erasing memory segments", 0},
                               {"Sending ", 0},
                               {"Verifying memory", 0}};

// The last log line of a programming that failed; an erase or a data block the loader swallowed
// is found by the verification, as those commands have no answer to wait for.
const std::set<std::string> kProgrammingFailures = {"Password FAILED!", "Memory verification error",
                                                    "USB device was unplugged!"};

struct FaultyUpgrade {
    LoaderWorld world{keypadWithItsOwnSettings()};
    testing::RecordingUi ui;
    testing::TempFolder scratch;
    std::string settingsFile = (scratch.path() / "USBUtilityCfg.ini").string();
    KeypadSettings original;
    Point point{};
    Fault fault = Fault::NoReply;
    bool programmed = false;
    int restoreCommands = 0;
    bool armed = false;
    std::vector<std::string> log;

    FaultyUpgrade() {
        hid::setBackend(std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(world.simulation.bus),
            [this](const std::string& line) { onTrace(line); }));
        EXPECT_TRUE(ensureSettingsFile(settingsFile));
        EXPECT_TRUE(rescanKeypad(ui));
        original = *readKeypadSettings();
        ui.unscriptedAnswer = true;
    }
    ~FaultyUpgrade() { closeKeypad(); }

    UpgradeOutcome upgrade() {
        return runFirmwareUpgrade({kSample, "", settingsFile}, ui,
                                  [this](int, const std::string& text) {
                                      programmed = programmed || text == "Done!";
                                      log.push_back(text);
                                      if (point.logLine && text.rfind(point.logLine, 0) == 0) {
                                          armLoader();
                                      }
                                  });
    }

    void armLoader() {
        std::lock_guard lock(world.simulation.bus->mutex());
        point.logLine = nullptr;
        if (fault == Fault::NoReply) {
            world.loader->faults.noReply = true;
        } else {
            world.loader->faults.unplugAfterReports = 1;
        }
    }

    void onTrace(const std::string& line) {
        auto& faults = world.simulation.keypad->faults;
        if (armed) {
            testing::endReplyFault(faults);
            armed = false;
        }
        auto sent = testing::decodeWritten(line);
        if (!programmed || !sent || ++restoreCommands != point.restoreCommand) {
            return;
        }
        armed = true;
        testing::putFault(faults, fault);
    }

    // The fault is gone and whatever left the bus is plugged back in.
    void mend() {
        point = {};
        {
            std::lock_guard lock(world.simulation.bus->mutex());
            world.simulation.keypad->faults = {};
            world.loader->faults = {};
        }
        if (!world.keypadPresent() && !world.loaderPresent()) {
            world.loader->replug();
        }
        Sleep(5000);
        world.simulation.bus->poll();
        if (!world.keypadPresent() && !world.loaderPresent()) {
            world.simulation.bus->attach(world.simulation.keypad);
            world.simulation.bus->poll();
        }
    }

    KeypadSettings settingsNow() {
        Sleep(5000);
        world.simulation.bus->poll();
        EXPECT_TRUE(rescanKeypad(ui));
        return readKeypadSettings().value_or(KeypadSettings{});
    }
};

// The loader stops answering or leaves at each phase: the upgrade fails, keeps its backup, and
// the next upgrade, once the loader is back, programs the keypad and writes its settings back.
TEST(UpgradeFaults, ALoaderFaultAtEachPhaseFailsAndTheNextUpgradeRecovers) {
    for (Fault fault : {Fault::NoReply, Fault::Unplug}) {
        for (const Point& phase : kLoaderPhases) {
            SCOPED_TRACE(std::string(testing::faultName(fault)) + " after " + phase.logLine);
            FaultyUpgrade run;
            run.point = phase;
            run.fault = fault;
            EXPECT_EQ(run.upgrade(), UpgradeOutcome::Failed);
            ASSERT_FALSE(run.log.empty());
            std::string last = run.log.back();
            last.erase(last.find_last_not_of("\r\n") + 1);
            EXPECT_TRUE(kProgrammingFailures.count(last)) << last;
            std::string backup = upgradeBackupPath(run.settingsFile);
            EXPECT_TRUE(fs::exists(backup));
            run.mend();
            (void)rescanKeypad(run.ui);
            EXPECT_EQ(run.upgrade(), UpgradeOutcome::Done);
            EXPECT_EQ(run.settingsNow(), run.original);
            EXPECT_FALSE(fs::exists(backup));
        }
    }
}

// Each fault class on each command of the restore: the programming stands, the restore says
// where it stopped (or the keypad really holds its settings), and a restore from the backup
// finishes the job.
TEST(UpgradeFaults, ARestoreFaultAtEachCommandKeepsTheBackupUntilTheSettingsAreBack) {
    int commands = 0;
    {
        FaultyUpgrade clean;
        ASSERT_EQ(clean.upgrade(), UpgradeOutcome::Done);
        commands = clean.restoreCommands;
    }
    ASSERT_GT(commands, 5);
    for (Fault fault : testing::kFaults) {
        for (int command = 1; command <= commands; ++command) {
            SCOPED_TRACE(std::string(testing::faultName(fault)) + " at restore command " +
                         std::to_string(command));
            FaultyUpgrade run;
            run.point = {nullptr, command};
            run.fault = fault;
            UpgradeOutcome outcome = run.upgrade();
            std::string backup = upgradeBackupPath(run.settingsFile);
            if (outcome == UpgradeOutcome::Done) {
                EXPECT_EQ(run.settingsNow(), run.original);
                EXPECT_FALSE(fs::exists(backup));
                continue;
            }
            EXPECT_EQ(outcome, UpgradeOutcome::RestoreFailed);
            EXPECT_FALSE(run.ui.warnings().empty());
            ASSERT_TRUE(fs::exists(backup));
            run.mend();
            (void)rescanKeypad(run.ui);
            std::string problem;
            EXPECT_TRUE(restoreSettingsFromBackup(
                backup, backup, run.ui, [](int, const std::string&) {}, problem))
                << problem;
            EXPECT_EQ(run.settingsNow(), run.original);
            EXPECT_FALSE(fs::exists(backup));
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
