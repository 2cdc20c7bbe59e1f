// The keypad service on the simulated bus: changes of the bus kept while a job has the keypad
// and applied when it lets go, what every window is told, one job at a time, and leaving.
#include "device/keypad_service.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>

#include "common/world.h"
#include "device/keypad_commands.h"

namespace lumora_usb_encoder {
namespace {

using testing::World;
using testing::WorldOptions;

// The service's thread: what the bus hands over waits here until the test runs it.
class Handed {
  public:
    void post(std::function<void()> call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    void run() {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard lock(mutex_);
                if (calls_.empty()) {
                    return;
                }
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call();
        }
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

enum class Change { Unplug, UnplugAndReplug, EnterLoader };

class KeypadServiceTest : public ::testing::Test {
  protected:
    void SetUp() override { start(); }
    void TearDown() override {
        service.reset();  // stops following before the bus goes
        world.reset();
    }
    // A fresh world and service, as each table row needs.
    void start() {
        TearDown();
        WorldOptions options;
        options.loader = true;
        world = std::make_unique<World>("keys=8", options);
        service = std::make_unique<KeypadService>();
        told.clear();
        service->subscribe([this](const KeypadState& state) { told.push_back(state); });
        ASSERT_TRUE(service->rescan(world->ui));
        ASSERT_TRUE(service->follow([this](std::function<void()> call) { handed.post(call); }));
    }
    // Made at once on the bus, so that the bus tells of it on this thread.
    void change(Change what) {
        auto& bus = *world->simulation.bus;
        bus.detach(&world->keypad());
        if (what == Change::UnplugAndReplug) {
            bus.attach(world->simulation.keypad);
        } else if (what == Change::EnterLoader) {
            bus.attach(world->loader);
        }
        handed.run();
    }
    KeypadState last() const { return told.empty() ? KeypadState{} : told.back(); }
    static bool open() {
        std::lock_guard lock(exchangeMutex());
        return hid_handle != nullptr;
    }

    std::unique_ptr<World> world;
    Handed handed;
    std::unique_ptr<KeypadService> service;
    std::vector<KeypadState> told;
};

struct KeptChange {
    const char* name;
    Change change;
    KeypadPresence after;
    bool openAfter;
};

// The job's own handle is left alone until it lets go; then nothing of the change is lost.
TEST_F(KeypadServiceTest, AChangeDuringAJobIsAppliedWhenTheJobLetsGo) {
    const KeptChange rows[] = {
        {"unplugged", Change::Unplug, KeypadPresence::Removed, false},
        {"unplugged and back", Change::UnplugAndReplug, KeypadPresence::Connected, true},
        {"left for its loader", Change::EnterLoader, KeypadPresence::InLoader, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        start();
        hid_device* before = hid_handle;
        KeypadHold hold = service->hold(KeypadJob::SelfTest, world->ui);
        change(row.change);
        EXPECT_EQ(hid_handle, before);
        EXPECT_EQ(service->holder(), KeypadJob::SelfTest);
        hold.release();
        EXPECT_EQ(last().presence, row.after);
        EXPECT_FALSE(last().heldBy.has_value());
        EXPECT_EQ(open(), row.openAfter);
        EXPECT_EQ(sendCommand(Command::Status) == kResultOk, row.openAfter);
    }
}

struct ShownChange {
    const char* name;
    Change change;
    KeypadPresence shown;
    std::string message;
};

// Shown at once, whether or not a job has the keypad: nobody is left looking at a keypad that
// has gone.
TEST_F(KeypadServiceTest, EveryWindowIsToldOfAChangeAtOnce) {
    const ShownChange rows[] = {
        {"unplugged", Change::Unplug, KeypadPresence::Removed, "Keypad removed"},
        {"unplugged and back", Change::UnplugAndReplug, KeypadPresence::Connected,
         "Keypad connected"},
        {"in its loader", Change::EnterLoader, KeypadPresence::InLoader,
         "Keypad in firmware upgrade mode"},
        {"unplugged during a self test", Change::Unplug, KeypadPresence::Removed,
         "Keypad removed (Self test running)"},
        {"in its loader during an upgrade", Change::EnterLoader, KeypadPresence::InLoader,
         "Keypad in firmware upgrade mode (Firmware upgrade in progress)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        start();
        std::string name = row.name;
        KeypadHold hold;
        if (name.ends_with("self test")) {
            hold = service->hold(KeypadJob::SelfTest, world->ui);
        } else if (name.ends_with("upgrade")) {
            hold = service->hold(KeypadJob::FirmwareUpgrade, world->ui);
        }
        told.clear();
        change(row.change);
        EXPECT_EQ(last().presence, row.shown);
        EXPECT_EQ(last().message, row.message);
        EXPECT_EQ(last().heldBy.has_value(), static_cast<bool>(hold));
    }
}

// A keypad back on the bus is read, and what it reported reaches the windows.
TEST_F(KeypadServiceTest, AReturningKeypadIsReadForEveryWindow) {
    world->keypad().defaults().ledBrightness = 7;  // what it starts with again
    change(Change::UnplugAndReplug);
    ASSERT_TRUE(last().status.has_value());
    EXPECT_TRUE(last().statusRead);
    EXPECT_EQ(last().status->ledBrightness, 7);
}

TEST_F(KeypadServiceTest, OneJobAtATime) {
    KeypadHold first = service->hold(KeypadJob::SelfTest, world->ui);
    KeypadHold second = service->hold(KeypadJob::EditorApply, world->ui);
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    second.ui().warn("Unable to Load Table..", kCaptionEncoder);
    EXPECT_EQ(world->ui.warnings(), std::vector<std::string>{"Unable to Load Table.."});
    EXPECT_EQ(service->holder(), KeypadJob::SelfTest);
    first.release();
    EXPECT_TRUE(service->hold(KeypadJob::EditorApply, world->ui));
}

// A job on the service's own thread that ends before anybody could look is never shown as
// holding the keypad: the windows' controls do not blink at every setting sent.
TEST_F(KeypadServiceTest, AJobIsShownHoldingTheKeypadOnlyOnceTheThreadIsFree) {
    told.clear();
    service->hold(KeypadJob::Setting, world->ui).release();
    handed.run();
    for (const auto& state : told) {
        EXPECT_FALSE(state.heldBy.has_value());
    }
    KeypadHold test = service->hold(KeypadJob::SelfTest, world->ui);
    EXPECT_FALSE(last().heldBy.has_value());
    handed.run();
    EXPECT_EQ(last().heldBy, KeypadJob::SelfTest);
    EXPECT_EQ(last().message, "Self test running");
}

struct Outcome {
    const char* name;
    bool shown;          // the windows were told the job had the keypad
    const char* said;    // nullptr: the job said nothing
    const char* warned;  // nullptr: no warning
    std::optional<bool> answered;
    std::string message;
};

// The status bar tells the present: the job's word, else its failure, else what became of the
// keypad; a job that did nothing visible leaves the line before it.
TEST_F(KeypadServiceTest, WhatTheStatusBarSaysWhenAJobEnds) {
    const Outcome rows[] = {
        {"said", false, "Code table applied", nullptr, std::nullopt, "Code table applied"},
        {"said after a warning", false, "Keypad connected", "Vorla Quillon™ not connected..",
         std::nullopt, "Keypad connected"},
        {"failed", false, nullptr, "Unable to Load Table..", std::nullopt,
         "Unable to Load Table.."},
        {"keypad gone quietly", false, nullptr, nullptr, false, "Keypad removed"},
        {"nothing to tell", false, nullptr, nullptr, std::nullopt, "Earlier news"},
        {"nothing to tell after it was shown", true, nullptr, nullptr, std::nullopt, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        start();
        service->hold(KeypadJob::Setting, world->ui).say("Earlier news");
        KeypadHold hold = service->hold(KeypadJob::Scan, world->ui);
        if (row.shown) {
            handed.run();
        }
        if (row.warned != nullptr) {
            hold.ui().warn(row.warned, kCaptionQuillon);
        }
        if (row.said != nullptr) {
            hold.say(row.said);
        }
        if (row.answered) {
            hold.keypadAnswered(*row.answered);
        }
        hold.release();
        EXPECT_EQ(last().message, row.message);
    }
}

// An upgrade's restore opens the keypad afresh: the windows hear what the new firmware says.
TEST_F(KeypadServiceTest, AKeypadAJobOpenedAfreshIsReadWhenItLetsGo) {
    KeypadHold upgrade = service->hold(KeypadJob::FirmwareUpgrade, world->ui);
    world->keypad().variant().firmwareVersion = "7.3";
    ASSERT_TRUE(rescanKeypad(world->ui));
    upgrade.release();
    EXPECT_TRUE(last().statusRead);
    ASSERT_TRUE(last().status.has_value());
    EXPECT_EQ(last().status->firmwareVersion, "7.3");
}

// A window's part in leaving, and what it saw of the keypad at each step.
class Participant final : public LeaveParticipant {
  public:
    bool mayLeave() override {
        steps.push_back(step("asked"));
        return !stays;
    }
    void endKeypadWork(std::function<void()> ended) override {
        steps.push_back(step("ended"));
        if (endsLater) {
            endLater = std::move(ended);
        } else {
            ended();
        }
    }
    bool sendBeforeLeaving() override {
        steps.push_back(step("sent"));
        return !sendFails;
    }
    static std::string step(const std::string& name) {
        std::lock_guard lock(exchangeMutex());
        return name + (hid_handle != nullptr ? " open" : " closed");
    }
    bool stays = false;
    bool endsLater = false;
    bool sendFails = false;
    std::function<void()> endLater;
    std::vector<std::string> steps;
};

struct Leaving {
    const char* name;
    bool upgradeRuns;
    bool stays;
    bool sendFails;
    LeaveResult result;
    std::vector<std::string> steps;
    bool left;
};

// Nothing is closed before every window agreed, every window's keypad work has ended and every
// owed send went through; the keypad is closed last.
TEST_F(KeypadServiceTest, LeavingTheProgram) {
    const Leaving rows[] = {
        {"everything done",
         false,
         false,
         false,
         LeaveResult::Leaving,
         {"asked open", "ended open", "sent open", "left closed"},
         true},
        {"upgrade running", true, false, false, LeaveResult::Refused, {}, false},
        {"the person stays", false, true, false, LeaveResult::Stayed, {"asked open"}, false},
        {"an owed send fails",
         false,
         false,
         true,
         LeaveResult::Leaving,
         {"asked open", "ended open", "sent open"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        start();
        Participant window;
        window.stays = row.stays;
        window.sendFails = row.sendFails;
        service->addParticipant(&window);
        KeypadHold upgrade;
        if (row.upgradeRuns) {
            upgrade = service->hold(KeypadJob::FirmwareUpgrade, world->ui);
        }
        bool left = false;
        LeaveResult result = service->leave(world->ui, [&] {
            window.steps.push_back(Participant::step("left"));
            left = true;
        });
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(window.steps, row.steps);
        EXPECT_EQ(left, row.left);
        EXPECT_EQ(open(), !row.left);
        bool refused = world->ui.warnings() == std::vector<std::string>{kUpgradeRefusesLeaving};
        EXPECT_EQ(refused, row.upgradeRuns);
        service->removeParticipant(&window);
    }
}

// A self test puts its settings back after it was asked to end: leaving waits for it.
TEST_F(KeypadServiceTest, LeavingWaitsForWorkThatEndsLater) {
    Participant selfTest;
    selfTest.endsLater = true;
    service->addParticipant(&selfTest);
    bool left = false;
    EXPECT_EQ(service->leave(world->ui, [&] { left = true; }), LeaveResult::Leaving);
    EXPECT_EQ(service->leave(world->ui, [] {}), LeaveResult::Leaving);  // a second Exit waits too
    EXPECT_FALSE(left);
    EXPECT_TRUE(open());
    selfTest.endLater();
    EXPECT_TRUE(left);
    EXPECT_FALSE(open());
    service->removeParticipant(&selfTest);
}

}  // namespace
}  // namespace lumora_usb_encoder
