#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/world.h"
#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "selftest/key_layout.h"
#include "selftest/self_test_sequence.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using namespace selftest;

// Notes when each stage lit up and was ticked, on the project clock, and can close the run at
// a chosen step.
class RecordingPort final : public SelfTestPort {
  public:
    void setText(Label, const std::string&) override {}
    void highlight(Label label) override { lit.emplace_back(label, GetTickCount()); }
    void tick(CheckBox box) override { ticked.emplace_back(box, GetTickCount()); }
    void showKeyTestNotice(const std::string&, const std::string&) override {}
    void stepDone(Stage stage, int step, int) override {
        closeForm = closeForm || std::pair(stage, step) == closeAt;
    }
    std::vector<std::pair<Label, uint32_t>> lit;
    std::vector<std::pair<CheckBox, uint32_t>> ticked;
    std::pair<Stage, int> closeAt{Stage::Keys, -1};
    std::atomic<bool> closeForm{false};
};

SelfTestOptions stages(bool led, bool brightness, bool buzzer, bool keys) {
    SelfTestOptions options;
    options.stages = {led, brightness, buzzer, keys};
    return options;
}

class SelfTestSequence : public ::testing::Test {
  protected:
    SelfTestStart begin(const std::string& spec) {
        world.emplace(spec, WorldOptions{.openKeypad = true});
        auto read = GetDeviceStatusMessage();
        EXPECT_TRUE(read);
        world->forgetSent();
        return read.value_or(SelfTestStart{});
    }
    std::optional<World> world;
    RecordingPort port;
};

TEST_F(SelfTestSequence, StagesTakeTheirDocumentedTimes) {
    SelfTestStart begun = begin("keys=8");
    auto outcome = runSelfTest(begun, stages(true, true, true, false), port, port.closeForm);
    EXPECT_FALSE(outcome.failed());
    ASSERT_EQ(port.lit.size(), 6U);
    ASSERT_EQ(port.ticked.size(), 3U);
    const std::pair<const char*, double> stageSeconds[] = {
        {"LED", 4.0},
        {"brightness", 5.8},
        {"buzzer", 7.6},
    };
    for (size_t stage = 0; stage < 3; ++stage) {
        auto [name, expected] = stageSeconds[stage];
        SCOPED_TRACE(name);
        double seconds = (port.ticked[stage].second - port.lit[2 * stage].second) / 1000.0;
        EXPECT_NEAR(seconds, expected, 0.1);
    }
}

TEST_F(SelfTestSequence, BrightnessGoesBackTwiceAndThePeriodAsRead) {
    SelfTestStart begun = begin("keys=8,brightness=5,period=4,type=1");
    (void)runSelfTest(begun, stages(false, true, false, false), port, port.closeForm);
    EXPECT_TRUE(restoreAfterSelfTest(begun, world->ui));
    auto sent = world->changesSent();
    ASSERT_GE(sent.size(), 4U);  // the end of the brightness steps, then the restore
    EXPECT_EQ(std::vector(sent.end() - 4, sent.end()),
              (std::vector<SentCommand>{{Command::LedBrightness, {5}},
                                        {Command::KeypadType, {1}},
                                        {Command::BuzzerPeriod, {4}},
                                        {Command::LedBrightness, {5}}}));
    EXPECT_TRUE(world->ui.messages.empty());
}

TEST_F(SelfTestSequence, RefusedFullBrightnessEndsTheRunSilentlyAndOnlyThePeriodWarns) {
    SelfTestStart begun = begin("keys=8");
    world->keypad().faults.refuse = true;  // the flash looks at level 8 only
    auto outcome = runSelfTest(begun, stages(true, true, true, true), port, port.closeForm);
    using enum StageResult;
    EXPECT_EQ(outcome.stages, (std::array{Failed, NotRun, NotRun, NotRun}));
    const std::vector<SentCommand> flash = {
        {Command::LedBrightness, {0}},
        {Command::LedBrightness, {8}},
    };
    EXPECT_EQ(world->changesSent(), flash);
    EXPECT_TRUE(port.ticked.empty());
    EXPECT_TRUE(world->ui.messages.empty());
    EXPECT_FALSE(restoreAfterSelfTest(begun, world->ui));
    // Of the restore, only the buzzer period warns.
    const RecordingUi::Message periodFailed = {
        RecordingUi::Kind::Warning,
        kBuzzerPeriodFailed,
        kCaptionEncoder,
    };
    EXPECT_EQ(world->ui.messages, std::vector{periodFailed});
}

TEST_F(SelfTestSequence, CloseDuringABuzzerWaitStillSendsTheNextSetting) {
    SelfTestStart begun = begin("keys=8");
    port.closeAt = {Stage::Buzzer, 3};  // Close pressed in the wait after setting 2
    auto outcome = runSelfTest(begun, stages(false, false, true, true), port, port.closeForm);
    using enum StageResult;
    EXPECT_EQ(outcome.stages, (std::array{NotRun, NotRun, Closed, NotRun}));
    auto sent = world->changesSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (SentCommand{Command::BuzzerStatus, {3}}));
    EXPECT_TRUE(port.ticked.empty());
}

// The worker and the main window share the one keypad link; neither may take the other's
// reply. Run under ThreadSanitizer too (-DQUILLON_TSAN=ON).
TEST_F(SelfTestSequence, MainWindowAndSelfTestExchangeSideBySide) {
    SelfTestStart begun = begin("keys=16,type=6,delay=5");  // exchanges that overlap
    std::thread worker(
        [&] { (void)runSelfTest(begun, stages(true, true, true, false), port, port.closeForm); });
    int misread = 0;
    for (int i = 0; i < 200; ++i) {
        auto status = readDeviceStatus();
        bool answered = sendByte(Command::LedColour, 0) == kResultOk;
        misread += !status || status->codeTable.size() != 32 || !answered;
    }
    worker.join();
    EXPECT_EQ(misread, 0);
    EXPECT_EQ(port.ticked.size(), 3U);
}

TEST(SelfTestWindowTexts, KeysFollowTypeAndTheWholeOptionsByteAndColoursTheirNames) {
    auto buttons = [](uint8_t type, uint8_t options) {
        std::vector<int> shown;
        for (const auto& picture : keyLayout(type, options)) {
            shown.push_back(picture.button);
        }
        return shown;
    };
    struct Row {
        const char* name;
        uint8_t type;
        uint8_t options;
        std::vector<int> shown;
    };
    const Row rows[] = {
        {"EightKeysDefaultTable", 0, 0, {2, 4, 6, 7, 8, 9, 10}},
        {"FiveKeyVariantCustomised", 2, 1, {2, 4, 5, 6, 7, 8, 9, 10}},
        {"SixKeyVariantAlternate", 1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"VariantBitsButNotTheByteZero", 0, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"TwelveKeys", 4, 0, {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}},
        {"SixteenKeys", 7, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"UnknownType", 9, 0, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(buttons(row.type, row.options), row.shown) << row.name;
    }
    EXPECT_EQ(keyLayout(4, 0)[3], (KeyPicture{5, "4", false}));
    EXPECT_EQ(keyLayout(0, 3)[8], (KeyPicture{9, "jack in", true}));
    // Three colours have names, the rest numbers.
    EXPECT_EQ(ledColourName(0), "WHITE");
    EXPECT_EQ(ledColourName(2), "RED");
    EXPECT_EQ(ledColourName(7), "7");
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
