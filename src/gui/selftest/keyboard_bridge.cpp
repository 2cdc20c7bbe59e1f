#include "gui/selftest/keyboard_bridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <iterator>

namespace lumora_usb_encoder {

namespace {
constexpr int kPollMs = 20;
constexpr int kReopenEveryPolls = 25;  // a keypad that left is looked for twice a second

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
    timer_.start(kPollMs);
}

int KeyboardBridge::qtKeyForUsage(uint8_t usage) {
    const auto* range =
        std::find_if(std::begin(kRanges), std::end(kRanges),
                     [&](const UsageRange& r) { return usage >= r.first && usage <= r.last; });
    return range == std::end(kRanges) ? 0 : range->firstKey + (usage - range->first);
}

void KeyboardBridge::poll() {
    if (!reader_.isOpen()) {
        if (idlePolls_++ % kReopenEveryPolls != 0 || !reader_.open()) {
            return;
        }
    }
    for (uint8_t usage : reader_.poll()) {
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
