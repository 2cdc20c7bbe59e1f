#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>

#include "gui/main/form1.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"
#include "settings/keypad_jobs.h"
#include "upgrade/pending_backup.h"

namespace lumora_usb_encoder {

namespace {

// The lists take no typed input, but everything that moves through them or opens them (arrows,
// Page Up/Down, Home/End, Alt+Down, F4) and leaves them (Tab, Escape) still works.
bool swallowTypedCharacter(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.front().isPrint();
}

}  // namespace

QComboBox* Form1::listFor(SettingsList list) const {
    switch (list) {
        case SettingsList::LedBrightness:
            return ledBrightnessCbox;
        case SettingsList::LedColour:
            return ledColourCbox;
        case SettingsList::Buzzer:
            return buzzerCbox;
        case SettingsList::BuzzerPeriod:
            return buzzerPeriodCbox;
        case SettingsList::KeypadType:
            break;
    }
    return keypadTypeCbox;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildPolished) {
        // A list's popup is polished as it first opens, before it takes any key.
        for (auto* view :
             static_cast<QChildEvent*>(event)->child()->findChildren<QAbstractItemView*>()) {
            view->installEventFilter(this);
        }
    }
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // Typing into an open list reaches its view (inside the popup the list owns) rather than the
    // list itself.
    auto is = [watched](const QComboBox* list) {
        for (QObject* owner = watched; list != nullptr && owner != nullptr;
             owner = owner->parent()) {
            if (owner == list) {
                return true;
            }
        }
        return false;
    };
    if (is(ledBrightnessCbox)) {
        return ledBrightnessCbox_KeyPress(key);
    }
    if (is(ledColourCbox)) {
        return ledColourCbox_KeyPress(key);
    }
    if (is(buzzerCbox)) {
        return buzzerCbox_KeyPress(key);
    }
    if (is(buzzerPeriodCbox)) {
        return buzzerPeriodCbox_KeyPress(key);
    }
    if (is(keypadTypeCbox)) {
        return keypadTypeCbox_KeyPress(key);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::ledBrightnessCbox_KeyPress(QKeyEvent* event) {
    return swallowTypedCharacter(event);
}
bool Form1::ledColourCbox_KeyPress(QKeyEvent* event) {
    return swallowTypedCharacter(event);
}
bool Form1::buzzerCbox_KeyPress(QKeyEvent* event) {
    return swallowTypedCharacter(event);
}
bool Form1::buzzerPeriodCbox_KeyPress(QKeyEvent* event) {
    return swallowTypedCharacter(event);
}
bool Form1::keypadTypeCbox_KeyPress(QKeyEvent* event) {
    return swallowTypedCharacter(event);
}

void Form1::commitList(SettingsList list, int entry) {
    KeypadHold hold = job(KeypadJob::Setting);
    if (!hold || !commitListChoice(hold.ui(), fields_, list, entry)) {
        selectListEntry(listFor(list), acceptedIndex(fields_, list));
        return;
    }
    hold.say("Sent: " + listFor(list)->currentText().toStdString());
    if (list == SettingsList::KeypadType) {
        showConnectedView();
    }
}

void Form1::ledBrightnessCbox_SelectionChangeCommitted(int entry) {
    commitList(SettingsList::LedBrightness, entry);
}
void Form1::ledColourCbox_SelectionChangeCommitted(int entry) {
    commitList(SettingsList::LedColour, entry);
}
void Form1::buzzerCbox_SelectionChangeCommitted(int entry) {
    commitList(SettingsList::Buzzer, entry);
}
void Form1::buzzerPeriodCbox_SelectionChangeCommitted(int entry) {
    commitList(SettingsList::BuzzerPeriod, entry);
}
void Form1::keypadTypeCbox_SelectionChangeCommitted(int entry) {
    commitList(SettingsList::KeypadType, entry);
}

void Form1::button8_Click() {
    KeypadHold hold = job(KeypadJob::Save);
    if (hold && saveChanges(hold.ui(), fields_, FileName_) == SaveChangesResult::Saved) {
        // One line of the status bar: the backup's path would run off its end.
        bool kept = !pendingBackupKeptNotice(FileName_).empty();
        hold.say(kept ? "Settings saved. The settings backup of an interrupted firmware upgrade "
                        "(UpgradeBackup.ini) is kept."
                      : "Settings saved to " + FileName_);
    }
}

void Form1::button9_Click() {
    KeypadHold hold = job(KeypadJob::FactoryReset);
    if (!hold) {
        return;
    }
    bool statusRead = factoryResetKeypad(hold.ui(), fields_);
    hold.keypadAnswered(statusRead);
    if (statusRead) {
        hold.say("Factory settings restored");
    }
}

}  // namespace lumora_usb_encoder
