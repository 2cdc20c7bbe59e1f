#include "cli/selftest_console.h"

#include <algorithm>
#include <iterator>
#include <ostream>

#include "codetable/usage_list.h"
#include "selftest/stage_list.h"
#include "support/clock.h"
#include "support/platform_process.h"

namespace lumora_usb_encoder::cli {

using selftest::CheckBox;
using selftest::Label;
using selftest::Stage;

namespace {
constexpr uint32_t kKeyPollMs = 10;
constexpr size_t kProgressWidth = 60;
}  // namespace

SelfTestConsole::SelfTestConsole(Context& ctx)
    : ctx_(ctx), quiet_(ctx.options().json), terminal_(isTerminal(1)) {}

SelfTestConsole::~SelfTestConsole() {
    progress("");
}

void SelfTestConsole::progress(const std::string& text) {
    if (!terminal_ || quiet_ || (text.empty() && !progressShown_)) {
        return;
    }
    ctx_.out() << '\r' << std::string(kProgressWidth, ' ') << '\r' << text.substr(0, kProgressWidth)
               << std::flush;
    progressShown_ = !text.empty();
}

void SelfTestConsole::line(const std::string& text) {
    if (quiet_) {
        return;
    }
    progress("");
    ctx_.out() << text << '\n' << std::flush;
}

void SelfTestConsole::setText(Label label, const std::string& text) {
    if (label == Label::ledLevelLbl) {
        line("brightness: level " + text);
    } else if (label == Label::buzzerPeriodLbl) {
        line("buzzer: setting " + text);
    }
}

void SelfTestConsole::highlight(Label label) {
    switch (label) {
        case Label::ledLbl:
            line("led: flashing the LED four times");
            break;
        case Label::ledBrightnessLbl:
            line("brightness: stepping the LED through levels 0 to 9");
            break;
        case Label::buzzerLbl:
            line("buzzer: sounding settings 0 to 9");
            break;
        default:
            break;
    }
}

void SelfTestConsole::tick(CheckBox box) {
    static constexpr const char* done[] = {"led: done", "brightness: done", "buzzer: done"};
    line(done[static_cast<int>(box)]);
}

void SelfTestConsole::showKeyTestNotice(const std::string& text, const std::string& caption) {
    (void)caption;
    line("keys: " + text);
    if (!keyboard_.open()) {
        line("keys: the keypad's keyboard interface cannot be opened");
    }
}

void SelfTestConsole::stepDone(Stage stage, int step, int steps) {
    if (stage == Stage::Led) {
        line("led: flash " + std::to_string(step) + " of " + std::to_string(steps));
    }
    progress(std::string(selftest::kStageNames[static_cast<int>(stage)]) + " " +
             std::to_string(step) + "/" + std::to_string(steps) + "  " +
             std::string(static_cast<size_t>(20 * step / steps), '#') +
             std::string(static_cast<size_t>(20 - 20 * step / steps), '.'));
}

void SelfTestConsole::waitForKeys(uint32_t ms) {
    uint32_t start = GetTickCount();
    do {
        if (!keyboard_.isOpen()) {
            (void)keyboard_.open();  // the keypad may come back after leaving the bus
        }
        for (uint8_t usage : keyboard_.poll()) {
            auto hits = keyMap_.hits(usage);
            if (hits.empty()) {
                continue;
            }
            std::string name(usageLabelName(kFullUsageLabels.at(usage)));
            std::transform(hits.begin(), hits.end(), std::back_inserter(keysSeen_),
                           [&](const selftest::KeyHit& hit) {
                               return nlohmann::json{{"key", hit.key}, {"name", name}};
                           });
            line("keys: " + selftest::keysText(hits) + " (" + name + ")");
        }
        Sleep(kKeyPollMs);
    } while (GetTickCount() - start < ms);
}

}  // namespace lumora_usb_encoder::cli
