#pragma once

#include <cstdint>
#include <string>

#include "selftest/key_map.h"

namespace lumora_usb_encoder::selftest {

enum class Stage { Led, Brightness, Buzzer, Keys };
inline constexpr int kStageCount = 4;

// The controls the sequence speaks through, named after the window's own.
enum class Label {
    ledLbl,
    ledColourLbl,
    ledBrightnessLbl,
    ledLevelLbl,
    buzzerLbl,
    buzzerPeriodLbl
};
enum class CheckBox { ledCheckBox, brightnessCheckBox, buzzerCheckBox };

// How the sequence shows its progress. The window hands each call to its own thread and waits
// for it; quillonctl prints lines. Calls come from the thread that runs the sequence.
class SelfTestPort {
  public:
    virtual ~SelfTestPort() = default;
    virtual void setText(Label label, const std::string& text) = 0;
    // A stage has started: its labels turn light green.
    virtual void highlight(Label label) = 0;
    virtual void tick(CheckBox box) = 0;
    // The key test's notice; returns once the person has taken note of it.
    virtual void showKeyTestNotice(const std::string& text, const std::string& caption) = 0;
    // Step `step` of `steps` of a stage is done (progress for a terminal).
    virtual void stepDone(Stage stage, int step, int steps) {
        (void)stage;
        (void)step;
        (void)steps;
    }
    // The key test has switched the keypad's table: from now on `map` says which pictures each
    // code typed lights.
    virtual void listenFor(const KeyMap& map) { (void)map; }
    // The key test waits here in slices of `ms`; the keys arrive meanwhile by other ways (the
    // window's key events), so the plain port just waits on the project clock.
    virtual void waitForKeys(uint32_t ms);
};

}  // namespace lumora_usb_encoder::selftest
