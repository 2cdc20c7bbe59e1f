#include "gui/selftest/keyboard_bridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <iterator>

namespace lumora_usb_encoder {

namespace {
// While keys come the bridge looks every 20 ms, as often as a keyboard repeats; two seconds
// after the last key it looks ten times a second, which still shows a first key without a
// noticeable wait (the reports queue meanwhile) and leaves an idle window, and a served keypad's
// server, asleep. A keypad that left is looked for twice a second.
constexpr int kTypingPollMs = 20;
constexpr int kIdlePollMs = 100;
constexpr int kTypingPolls = 100;
constexpr int kReopenEveryIdlePolls = 5;

struct UsageRange {
    uint8_t first;
    uint8_t last;
    int firstKey;  // cppcheck-suppress unusedStructMember ; read through an iterator
};
constexpr UsageRange kRanges[] = {
    {0x04, 0x1D, Qt::Key_A},      {0x1E, 0x26, Qt::Key_1},      {0x27, 0x27, Qt::Key_0},
    {0x28, 0x28, Qt::Key_Return}, {0x29, 0x29, Qt::Key_Escape}, {0x2A, 0x2A, Qt::Key_Backspace},
    {0x2B, 0x2B, Qt::Key_Tab},    {0x2C, 0x2C, Qt::Key_Space},  {0x3A, 0x45, Qt::Key_F1},
    {0x68, 0x73, Qt::Key_F13},
};
}  // namespace

KeyboardBridge::KeyboardBridge(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &KeyboardBridge::poll);
    timer_.start(kIdlePollMs);
}

int KeyboardBridge::qtKeyForUsage(uint8_t usage) {
    const auto* range =
        std::find_if(std::begin(kRanges), std::end(kRanges),
                     [&](const UsageRange& r) { return usage >= r.first && usage <= r.last; });
    return range == std::end(kRanges) ? 0 : range->firstKey + (usage - range->first);
}

void KeyboardBridge::setPollInterval(int ms) {
    if (timer_.interval() != ms) {
        timer_.setInterval(ms);  // restarts the timer
    }
}

void KeyboardBridge::poll() {
    if (!reader_.isOpen()) {
        quietPolls_ = kTypingPolls;
        setPollInterval(kIdlePollMs);
        bool due = idlePolls_ == 0;
        idlePolls_ = (idlePolls_ + 1) % kReopenEveryIdlePolls;
        if (!due || !reader_.open()) {
            return;
        }
    }
    std::vector<uint8_t> typed = reader_.poll();
    if (!typed.empty()) {
        quietPolls_ = 0;
        setPollInterval(kTypingPollMs);
    } else if (quietPolls_ < kTypingPolls && ++quietPolls_ == kTypingPolls) {
        setPollInterval(kIdlePollMs);
    }
    for (uint8_t usage : typed) {
        int key = qtKeyForUsage(usage);
        QWidget* window = QApplication::activeWindow();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        if (key == 0 || target == nullptr) {
            continue;
        }
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
    }
}

}  // namespace lumora_usb_encoder
