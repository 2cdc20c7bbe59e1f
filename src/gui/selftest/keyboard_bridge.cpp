#include "gui/selftest/keyboard_bridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "gui/selftest/usage_keys.h"

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
}  // namespace

KeyboardBridge::KeyboardBridge(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &KeyboardBridge::poll);
    timer_.start(kIdlePollMs);
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
