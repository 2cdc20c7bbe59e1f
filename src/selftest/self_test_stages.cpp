#include <string>

#include "device/keypad_commands.h"
#include "selftest/key_map.h"
#include "selftest/self_test_sequence.h"
#include "support/clock.h"

namespace lumora_usb_encoder::selftest {

namespace {

constexpr uint32_t kFlashHalfMs = 500;
constexpr uint32_t kLevelMs = 500;
constexpr uint32_t kBuzzerStepMs = 150;
constexpr uint32_t kControlPauseMs = 80;  // a label or box change, then a moment to see it
constexpr uint32_t kKeySliceMs = 100;
constexpr int kFlashes = 4;
constexpr int kLevels = 10;
constexpr int kBuzzerSettings = 10;

// One run's view of the keypad and of the person watching.
class Run {
  public:
    Run(const SelfTestStart& start, const SelfTestOptions& options, SelfTestPort& port,
        const std::atomic<bool>& closeForm)
        : start_(start), options_(options), port_(port), closeForm_(closeForm) {}

    StageResult flash();
    StageResult brightnessSteps();
    StageResult buzzer();
    StageResult keys();

  private:
    bool closed() const { return closeForm_.load(); }
    // AddTextToObject and AmendCheckBox: the change is made and seen before the run goes on.
    void AddTextToObject(Label label, const std::string& text) {
        port_.setText(label, text);
        Sleep(kControlPauseMs);
    }
    void AmendCheckBox(CheckBox box) {
        port_.tick(box);
        Sleep(kControlPauseMs);
    }
    static bool ledBrightness(uint8_t level) {
        return sendByte(Command::LedBrightness, level) == 0;
    }
    StageResult stopped(bool commandFailed) const {
        return commandFailed ? StageResult::Failed : StageResult::Closed;
    }

    const SelfTestStart& start_;
    const SelfTestOptions& options_;
    SelfTestPort& port_;
    const std::atomic<bool>& closeForm_;
};

StageResult Run::flash() {
    port_.highlight(Label::ledLbl);
    port_.highlight(Label::ledColourLbl);
    for (int i = 0; i < kFlashes; ++i) {
        (void)ledBrightness(0);
        Sleep(kFlashHalfMs);
        bool lit = ledBrightness(8);
        Sleep(kFlashHalfMs);
        if (!lit || closed()) {
            return stopped(!lit);
        }
        port_.stepDone(Stage::Led, i + 1, kFlashes);
    }
    (void)ledBrightness(0);
    AmendCheckBox(CheckBox::ledCheckBox);
    return StageResult::Passed;
}

StageResult Run::brightnessSteps() {
    port_.highlight(Label::ledBrightnessLbl);
    port_.highlight(Label::ledLevelLbl);
    for (uint8_t level = 0; level < kLevels; ++level) {
        AddTextToObject(Label::ledLevelLbl, std::to_string(level));
        bool taken = ledBrightness(level);
        Sleep(kLevelMs);
        if (!taken || closed()) {
            return stopped(!taken);
        }
        port_.stepDone(Stage::Brightness, level + 1, kLevels);
    }
    (void)ledBrightness(0);
    AmendCheckBox(CheckBox::brightnessCheckBox);
    (void)ledBrightness(start_.ledBrightness_index);
    return StageResult::Passed;
}

StageResult Run::buzzer() {
    port_.highlight(Label::buzzerLbl);
    port_.highlight(Label::buzzerPeriodLbl);
    for (uint8_t i = 0; i < kBuzzerSettings; ++i) {
        AddTextToObject(Label::buzzerPeriodLbl, std::to_string(i));
        bool taken = sendByte(Command::BuzzerStatus, i) == 0;
        if (!taken || closed()) {
            return stopped(!taken);
        }
        Sleep(kBuzzerStepMs * i);
        port_.stepDone(Stage::Buzzer, i + 1, kBuzzerSettings);
    }
    AmendCheckBox(CheckBox::buzzerCheckBox);
    return StageResult::Passed;
}

StageResult Run::keys() {
    port_.showKeyTestNotice(kKeyTestNotice, kKeyTestCaption);
    bool defaultTable =
        sendByte(Command::KeypadType, keyStageKeypadType(start_.keypadType_index)) == 0;
    Sleep(kKeySliceMs);
    if (!defaultTable) {
        return StageResult::Failed;
    }
    auto map = readKeyStageMap(start_.keypadType_index, start_.options_fitted);
    if (!map) {
        return StageResult::Failed;
    }
    port_.listenFor(*map);
    uint32_t listened = 0;
    while (!closed()) {
        if (options_.keysTimeMs != 0 && listened >= options_.keysTimeMs) {
            return StageResult::Passed;
        }
        port_.waitForKeys(kKeySliceMs);
        listened += kKeySliceMs;
        if (options_.keysTimeMs != 0 && listened % 1000 == 0) {
            port_.stepDone(Stage::Keys, static_cast<int>(listened / 1000),
                           static_cast<int>((options_.keysTimeMs + 999) / 1000));
        }
    }
    return StageResult::Closed;
}

}  // namespace

SelfTestOutcome runSelfTest(const SelfTestStart& start, const SelfTestOptions& options,
                            SelfTestPort& port, const std::atomic<bool>& closeForm) {
    Run run(start, options, port, closeForm);
    StageResult (Run::*stages[kStageCount])() = {&Run::flash, &Run::brightnessSteps, &Run::buzzer,
                                                 &Run::keys};
    SelfTestOutcome outcome;
    for (int i = 0; i < kStageCount; ++i) {
        if (!options.stages[static_cast<size_t>(i)]) {
            continue;
        }
        StageResult result = (run.*stages[i])();
        outcome.stages[static_cast<size_t>(i)] = result;
        if (result != StageResult::Passed) {
            break;
        }
    }
    return outcome;
}

}  // namespace lumora_usb_encoder::selftest
