#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <sstream>

#include "../settings/keypad_world.h"
#include "codetable/code_table_editor.h"
#include "device/device_connection.h"
#include "keypad_fault.h"
#include "selftest/self_test_sequence.h"
#include "settings/config_files.h"
#include "settings/keypad_jobs.h"
#include "settings/settings_lists.h"

namespace lumora_usb_encoder::testing {
namespace {

class SilentPort final : public selftest::SelfTestPort {
    void setText(selftest::Label, const std::string&) override {}
    void highlight(selftest::Label) override {}
    void tick(selftest::CheckBox) override {}
    void showKeyTestNotice(const std::string&, const std::string&) override {}
};

// A simulated keypad whose `step`-th command (counted from arm()) meets `fault`.
struct FaultyWorld {
    sim::Simulation simulation;
    RecordingUi ui;
    TempFolder folder;
    std::string settingsFile = folder.write("USBUtilityCfg.ini", savedSettingsText());
    std::string exchangeFile = folder.write(
        "USBUtilityQuillonCfg.ini",
        savedSettingsText({{"LedBrightness", "8"}, {"KeypadLayout", "1"}, {"Buzzer", "0"}}));
    KeypadFields fields;
    int commands = 0, faultAt = 0;
    Fault fault = Fault::NoReply;
    bool replyFaultArmed = false;
    SentCommand faulted;       // the command that met the fault
    bool callerShows = false;  // the failure is the window's to show (its status display)

    explicit FaultyWorld(const std::string& spec) {
        simulation = simulationOf(spec);
        hid::setBackend(std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(simulation.bus),
            [this](const hid::TracedReport& line) { onTrace(line); }));
        EXPECT_TRUE(openAndReadStatus(ui, fields, true));
        ui.messages.clear();
    }
    ~FaultyWorld() { closeKeypad(); }

    void arm(int step, Fault which) {
        commands = 0;
        faultAt = step;
        fault = which;
    }

    // Runs before each traced write is carried out and after each read, so a reply fault set
    // on the faulted write is over by the time anything else happens.
    void onTrace(const hid::TracedReport& line) {
        auto& faults = simulation.keypad->faults;
        if (replyFaultArmed) {
            endReplyFault(faults);
            replyFaultArmed = false;
        }
        auto sent = decodeWritten(line);
        if (!sent || ++commands != faultAt) {
            return;
        }
        faulted = *sent;
        replyFaultArmed = true;
        putFault(faults, fault);
    }

    // What the keypad holds, in and out of its memory: what an honest success must match.
    std::string keypadState() {
        auto record = simulation.keypad->statusRecord();
        const auto& d = simulation.keypad->defaults();
        std::ostringstream out;
        for (uint8_t b : record)
            out << int(b) << ',';
        out << '|' << int(d.ledBrightness) << int(d.ledColour) << int(d.buzzer)
            << int(d.buzzerPeriod) << int(d.keypadType);
        for (uint8_t b : d.customTable)
            out << ',' << int(b);
        return out.str() + "|" + fileBytes(settingsFile);
    }
};

struct Sequence {
    const char* name;
    const char* spec;
    std::function<bool(FaultyWorld&)> run;  // true when the job says it worked
    std::set<std::string> messages;         // what it may say when it did not
    // Commands whose answer the job does not wait for: the factory reset (the keypad restarts
    // at once) and the self test's LED steps, which its restore puts right in any case.
    std::set<Command> unanswered = {};
    // False where the caller shows the failure its own way (a status line, a failed stage).
    bool failureIsSaid = true;
};

bool selfTest(FaultyWorld& w) {
    auto start = selftest::GetDeviceStatusMessage();
    if (!start) {
        return false;
    }
    SilentPort port;
    std::atomic<bool> closeForm = false;
    selftest::SelfTestOptions options;
    options.stages = {true, true, true, false};
    bool passed = !selftest::runSelfTest(*start, options, port, closeForm).failed();
    return selftest::restoreAfterSelfTest(*start, w.ui) && passed;
}

bool editorApply(FaultyWorld&) {
    CodeTableEditor editor(*editorFamilyForKeypadType(2));
    editor.clickKey(1);
    editor.chooseCode(5);
    return editor.apply() == 0;
}

const auto statusRead = [](FaultyWorld& w) { return openAndReadStatus(w.ui, w.fields, true); };
bool settingsLists(FaultyWorld& w) {
    bool ok = true;
    for (auto list : kSettingsLists) {
        ok = commitListChoice(w.ui, w.fields, list, 1) && ok;
    }
    return ok;
}
bool restore(FaultyWorld& w) {
    auto outcome = restoreFromSettingsFile(w.ui, w.fields, w.settingsFile);
    w.callerShows = outcome.load == LoadResult::Sent;
    return outcome.load == LoadResult::Sent && outcome.statusRead;
}
bool import(FaultyWorld& w) {
    return importConfigFileFrom(w.ui, w.exchangeFile, w.settingsFile).result ==
           ImportResult::Imported;
}
const auto save = [](FaultyWorld& w) {
    return saveChanges(w.ui, w.fields, w.settingsFile) == SaveChangesResult::Saved;
};
const auto factoryReset = [](FaultyWorld& w) { return factoryResetKeypad(w.ui, w.fields); };

// What sending a settings file may say, whether restored or imported, and what the lists say.
const std::set<std::string> kSendingMessages = {
    "Unable to set option..",         "Unable to write default..", "Unable to set LED Color..",
    "Unable to set LED Brightness..", "Unable to set Buzzer..",    "Unable to set Buzzer period..",
    "Vorla Quillon™ not connected.."};
const std::set<std::string> kListMessages = {
    "Unable to set the LED Brightness..", "Unable to set LED colour..",
    "Unable to set Buzzer On/Off..", "Unable to set Buzzer Period..",
    "Unable to set Keypad Type.."};
const std::set<std::string> kResetMessages = {"Please power off/on the Quillon™.",
                                              "Vorla Quillon™ not connected.."};
const std::set<std::string> kSaveMessages = {"Unable to Write Default..",
                                             "Unable to Save Config file."};
constexpr Command kReset = Command::FactoryReset;
constexpr Command kBrightness = Command::LedBrightness;

const std::vector<Sequence>& sequences() {
    static const std::vector<Sequence> all = {
        {"status read", "keys=8", statusRead, {}, {}, false},
        {"settings lists", "keys=8", settingsLists, kListMessages},
        {"restore from the settings file", "keys=8", restore, kSendingMessages, {kReset}},
        {"import", "keys=8", import, kSendingMessages, {kReset}},
        {"save", "keys=8", save, kSaveMessages},
        {"factory reset", "keys=8", factoryReset, kResetMessages, {kReset}},
        {"code table apply", "keys=8,type=2", editorApply, {}, {}, false},
        {"self test", "keys=8", selfTest, {"Unable to set Buzzer Period.."}, {kBrightness}, false},
    };
    return all;
}

// Each sequence, each fault, each command: the job either says it failed, in its own words, or
// really did all it says; the settings file is untouched by a failure; the keypad is never left
// in its loader; and once the fault is gone a status read works again.
TEST(FaultMatrix, EveryFaultAtEveryStepEndsHonestlyAndLeavesAUsableKeypad) {
    for (const auto& sequence : sequences()) {
        FaultyWorld clean(sequence.spec);
        clean.arm(0, Fault::NoReply);
        ASSERT_TRUE(sequence.run(clean)) << sequence.name;
        const int steps = clean.commands;
        const std::string cleanEnd = clean.keypadState();
        ASSERT_GT(steps, 0) << sequence.name;
        for (Fault fault : kFaults) {
            for (int step = 1; step <= steps; ++step) {
                SCOPED_TRACE(std::string(sequence.name) + ", " + faultName(fault) + " at command " +
                             std::to_string(step) + " of " + std::to_string(steps));
                FaultyWorld w(sequence.spec);
                std::string before = fileBytes(w.settingsFile);
                w.arm(step, fault);
                bool worked = sequence.run(w);
                auto said = w.ui.warnings();
                if (worked) {
                    EXPECT_EQ(w.keypadState(), cleanEnd) << "success reported";
                    EXPECT_TRUE(fault == Fault::Unplug || fault == Fault::NoReturn ||
                                sequence.unanswered.count(w.faulted.command))
                        << "a bad reply went unnoticed: " << ::testing::PrintToString(w.faulted);
                } else {
                    EXPECT_EQ(fileBytes(w.settingsFile), before);
                    EXPECT_TRUE(!said.empty() || !sequence.failureIsSaid || w.callerShows)
                        << "failed silently";
                    for (const auto& text : said) {
                        EXPECT_TRUE(sequence.messages.count(text)) << text;
                    }
                }
                EXPECT_TRUE(w.simulation.bus->enumerate(0x2047, 0x0200).empty());
                w.arm(0, Fault::NoReply);
                w.simulation.keypad->faults = {};
                if (!w.simulation.bus->present(w.simulation.keypad.get())) {
                    w.simulation.bus->attach(w.simulation.keypad);
                }
                EXPECT_TRUE(openAndReadStatus(w.ui, w.fields, false)) << "not usable after";
            }
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
