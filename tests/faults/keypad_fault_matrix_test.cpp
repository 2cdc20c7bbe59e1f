#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <sstream>

#include "codetable/code_table_editor.h"
#include "common/settings_text.h"
#include "common/world.h"
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

// A job's surroundings on a world's keypad: the main window's fields, the settings file, a file
// to import, and a fault for the `step`-th command counted from arm().
struct Scene {
    explicit Scene(const std::string& spec) : world(spec) {
        world.onReport = [this](const hid::TracedReport& report) { heard(report); };
        EXPECT_TRUE(openAndReadStatus(world.ui, fields, true));
        world.ui.messages.clear();
    }

    void arm(int step, Fault which) {
        commands = 0;
        faultAt = step;
        fault = which;
    }

    // Runs before each traced write is carried out and after each read, so a reply fault set
    // on the faulted write is over by the time anything else happens.
    void heard(const hid::TracedReport& report) {
        auto& faults = world.keypad().faults;
        if (replyFaultArmed) {
            endReplyFault(faults);
            replyFaultArmed = false;
        }
        auto sent = decodeWritten(report);
        if (!sent || ++commands != faultAt) {
            return;
        }
        faulted = *sent;
        replyFaultArmed = true;
        putFault(faults, fault);
    }

    // What the keypad holds, in and out of its memory: what an honest success must match.
    std::string keypadState() {
        std::ostringstream out;
        for (uint8_t b : world.keypad().statusRecord()) {
            out << int(b) << ',';
        }
        const auto& d = world.keypad().defaults();
        out << '|' << int(d.ledBrightness) << int(d.ledColour) << int(d.buzzer)
            << int(d.buzzerPeriod) << int(d.keypadType);
        for (uint8_t b : d.customTable) {
            out << ',' << int(b);
        }
        return out.str() + "|" + fileBytes(settingsFile);
    }

    World world;
    std::string settingsFile = world.folder.write("USBUtilityCfg.ini", savedSettingsText());
    std::string exchangeFile = world.folder.write(
        "USBUtilityQuillonCfg.ini",
        savedSettingsText({{"LedBrightness", "8"}, {"KeypadLayout", "1"}, {"Buzzer", "0"}}));
    KeypadFields fields;
    int commands = 0;
    int faultAt = 0;
    Fault fault = Fault::NoReply;
    bool replyFaultArmed = false;
    SentCommand faulted;       // the command that met the fault
    bool callerShows = false;  // the failure is the window's to show (its status display)
};

struct Sequence {
    const char* name;
    const char* spec;
    std::function<bool(Scene&)> run;  // true when the job says it worked
    std::set<std::string> messages;   // what it may say when it did not
    // Commands whose answer the job does not wait for: the factory reset (the keypad restarts
    // at once) and the self test's LED steps, which its restore puts right in any case.
    std::set<Command> unanswered = {};
    // False where the caller shows the failure its own way (a status line, a failed stage).
    bool failureIsSaid = true;
};

bool selfTest(Scene& w) {
    auto start = selftest::GetDeviceStatusMessage();
    if (!start) {
        return false;
    }
    SilentPort port;
    std::atomic<bool> closeForm = false;
    selftest::SelfTestOptions options;
    options.stages = {true, true, true, false};
    bool passed = !selftest::runSelfTest(*start, options, port, closeForm).failed();
    return selftest::restoreAfterSelfTest(*start, w.world.ui) && passed;
}

bool editorApply(Scene&) {
    CodeTableEditor editor(*editorFamilyForKeypadType(2));
    editor.clickKey(1);
    editor.chooseCode(5);
    return editor.apply() == 0;
}

bool statusRead(Scene& w) {
    return openAndReadStatus(w.world.ui, w.fields, true);
}
bool settingsLists(Scene& w) {
    bool ok = true;
    for (auto list : kSettingsLists) {
        ok = commitListChoice(w.world.ui, w.fields, list, 1) && ok;
    }
    return ok;
}
bool restore(Scene& w) {
    auto outcome = restoreFromSettingsFile(w.world.ui, w.fields, w.settingsFile);
    w.callerShows = outcome.load == LoadResult::Sent;
    return outcome.load == LoadResult::Sent && outcome.statusRead;
}
bool import(Scene& w) {
    auto outcome = importConfigFileFrom(w.world.ui, w.exchangeFile, w.settingsFile);
    return outcome.result == ImportResult::Imported;
}
bool save(Scene& w) {
    return saveChanges(w.world.ui, w.fields, w.settingsFile) == SaveChangesResult::Saved;
}
bool factoryReset(Scene& w) {
    return factoryResetKeypad(w.world.ui, w.fields);
}

// What sending a settings file may say, whether restored or imported, and what the lists say.
const std::set<std::string> kSendingMessages = {
    "Unable to set option..",    "Unable to write default..",
    "Unable to set LED Color..", "Unable to set LED Brightness..",
    "Unable to set Buzzer..",    "Unable to set Buzzer period..",
    kNotConnectedMessage,
};
const std::set<std::string> kListMessages = {
    "Unable to set the LED Brightness..", "Unable to set LED colour..",
    "Unable to set Buzzer On/Off..",      "Unable to set Buzzer Period..",
    "Unable to set Keypad Type..",
};
const std::set<std::string> kResetMessages = {
    "Please power off/on the Quillon™.",
    kNotConnectedMessage,
};
const std::set<std::string> kSaveMessages = {
    "Unable to Write Default..",
    "Unable to Save Config file.",
};
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
        Scene clean(sequence.spec);
        clean.arm(0, Fault::NoReply);
        ASSERT_TRUE(sequence.run(clean)) << sequence.name;
        const int steps = clean.commands;
        const std::string cleanEnd = clean.keypadState();
        ASSERT_GT(steps, 0) << sequence.name;
        for (Fault fault : kFaults) {
            for (int step = 1; step <= steps; ++step) {
                SCOPED_TRACE(std::string(sequence.name) + ", " + faultName(fault) + " at command " +
                             std::to_string(step) + " of " + std::to_string(steps));
                Scene w(sequence.spec);
                std::string before = fileBytes(w.settingsFile);
                w.arm(step, fault);
                bool worked = sequence.run(w);
                auto said = w.world.ui.warnings();
                if (worked) {
                    EXPECT_EQ(w.keypadState(), cleanEnd) << "success reported";
                    bool unanswered = sequence.unanswered.count(w.faulted.command) > 0;
                    bool gone = fault == Fault::Unplug || fault == Fault::NoReturn;
                    EXPECT_TRUE(gone || unanswered) << "a bad reply went unnoticed: " << w.faulted;
                } else {
                    EXPECT_EQ(fileBytes(w.settingsFile), before);
                    bool shown = !said.empty() || !sequence.failureIsSaid || w.callerShows;
                    EXPECT_TRUE(shown) << "failed silently";
                    for (const auto& text : said) {
                        EXPECT_TRUE(sequence.messages.count(text)) << text;
                    }
                }
                auto loaders = w.world.bus().enumerate(kLoaderVendorId, kLoaderProductId);
                EXPECT_EQ(loaders.size(), 0u) << "left in its loader";
                w.arm(0, Fault::NoReply);
                w.world.keypad().faults = {};
                if (!w.world.keypadPresent()) {
                    w.world.bus().attach(w.world.simulation.keypad);
                }
                EXPECT_TRUE(openAndReadStatus(w.world.ui, w.fields, false)) << "not usable after";
            }
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
