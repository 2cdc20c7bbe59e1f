#include "gui/editors/editor_keyboard.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <cstdlib>
#include <limits>
#include <utility>

namespace lumora_usb_encoder {

namespace {

QPoint centreInWindow(const QWidget& widget) {
    return widget.mapTo(widget.window(), widget.rect().center());
}

constexpr int kOffCourse = 1 << 20;  // larger than any distance within a window

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

}  // namespace

EditorKeyboard::EditorKeyboard(QVector<QAbstractButton*> keyArea,
                               const QVector<QAbstractButton*>& otherButtons,
                               QVector<QComboBox*> lists, QObject* parent)
    : QObject(parent), keyArea_(std::move(keyArea)), lists_(std::move(lists)) {
    for (auto* button : keyArea_ + otherButtons) {
        button->installEventFilter(this);
    }
}

bool EditorKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (button == nullptr) {
        return false;
    }
    if ((key->key() == Qt::Key_F4 && modifiers == Qt::NoModifier) ||
        (key->key() == Qt::Key_Down && modifiers == Qt::AltModifier)) {
        return openShowingList();
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        modifiers == Qt::NoModifier) {
        button->click();
        return true;
    }
    if (isArrow(key->key()) && modifiers == Qt::NoModifier && keyArea_.contains(button)) {
        if (QAbstractButton* next = neighbour(*button, key->key())) {
            next->setFocus(Qt::TabFocusReason);
        }
        return true;
    }
    return false;
}

// The nearest visible button whose centre lies ahead in the arrow's direction; being off to
// the side counts double, so a button straight ahead wins over a nearer one beside it. A button
// within 45 degrees of the arrow wins over one further off, which is taken only when there is
// nothing else that way.
QAbstractButton* EditorKeyboard::neighbour(const QAbstractButton& from, int arrow) const {
    QPoint origin = centreInWindow(from);
    QAbstractButton* best = nullptr;
    int bestScore = std::numeric_limits<int>::max();
    for (auto* candidate : keyArea_) {
        if (candidate == &from || !candidate->isVisibleTo(from.window())) {
            continue;
        }
        QPoint offset = centreInWindow(*candidate) - origin;
        bool horizontal = arrow == Qt::Key_Left || arrow == Qt::Key_Right;
        int ahead = horizontal ? offset.x() : offset.y();
        if (arrow == Qt::Key_Left || arrow == Qt::Key_Up) {
            ahead = -ahead;
        }
        int aside = std::abs(horizontal ? offset.y() : offset.x());
        if (ahead <= 0) {
            continue;
        }
        int score = ahead + 2 * aside + (aside > ahead ? kOffCourse : 0);
        if (score < bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    return best;
}

bool EditorKeyboard::openShowingList() {
    for (auto* list : lists_) {
        if (list->isVisibleTo(list->window())) {
            list->setFocus(Qt::ShortcutFocusReason);
            list->showPopup();
            return true;
        }
    }
    return false;
}

}  // namespace lumora_usb_encoder
