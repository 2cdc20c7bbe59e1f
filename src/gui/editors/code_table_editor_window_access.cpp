// What the editor tells assistive technology and how it works from the keyboard. The colours
// carry a key's state for the eye; the names and descriptions carry the same for the ear.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "codetable/modifier_list.h"
#include "codetable/usage_speech.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/editors/editor_keyboard.h"
#include "gui/editors/key_button.h"
#include "gui/editors/searchable_list.h"

namespace lumora_usb_encoder {

namespace {

// Only a real change is announced: a screen reader repeats every change it is told of.
void describe(QWidget& widget, const QString& name, const QString& description,
              const QString& tip) {
    if (widget.accessibleName() != name) {
        widget.setAccessibleName(name);
    }
    if (widget.accessibleDescription() != description) {
        widget.setAccessibleDescription(description);
    }
    if (widget.toolTip() != tip) {
        widget.setToolTip(tip);
    }
}

void describeList(QComboBox& list, const char* name, const char* description) {
    list.setAccessibleName(name);
    list.setAccessibleDescription(description);
    makeSearchable(list);
}

}  // namespace

void CodeTableEditorWindow::makeAccessible() {
    setAccessibleDescription(
        "Select keys, then pick the code they send from the code list and the modifier from the "
        "modifier list; Apply sends the table to the keypad.");
    if (pictureBox1_ != nullptr) {
        pictureBox1_->setAccessibleName("Keypad picture");
    }
    for (int position = 0; position < selectCodeCbox_->count(); ++position) {
        auto code = usageByteFromPosition(static_cast<size_t>(position));
        selectCodeCbox_->setItemData(
            position, QString::fromStdString(usageButtonText(code) + ", " + usageSpokenName(code)),
            Qt::AccessibleTextRole);
    }
    for (int index = 0; index < selectModifierCbox_->count(); ++index) {
        selectModifierCbox_->setItemData(index, QString::fromStdString(modifierSpokenName(index)),
                                         Qt::AccessibleTextRole);
    }
    describeList(*selectCodeCbox_, "Code list",
                 "The code the selected keys send. Type any part of a code or name to find it.");
    describeList(*selectModifierCbox_, "Modifier list",
                 "The modifier the selected modifier buttons send. Type any part of its name to "
                 "find it.");
    windowButtons_[0]->setAccessibleDescription(
        "Put back the codes and modifiers the window was opened with");
    windowButtons_[1]->setAccessibleDescription("Send the code table to the keypad and close");
    windowButtons_[2]->setAccessibleDescription(
        "Close the window; changes not yet applied are asked about first");

    // Key by key in number order, each modifier before its key as they lie on the screen, then
    // the lists and the window's buttons.
    QVector<QAbstractButton*> keyArea;
    for (int index = 0; index < editor_.keyCount(); ++index) {
        keyArea << modifierButtons_[index] << keyButtons_[index];
    }
    QVector<QWidget*> order(keyArea.begin(), keyArea.end());
    order << selectCodeCbox_ << selectModifierCbox_;
    QVector<QAbstractButton*> others;
    for (auto* button : windowButtons_) {
        // Enter is handled with the other buttons; a default button would take it from the lists.
        button->setAutoDefault(false);
        order << button;
        others << button;
    }
    for (auto* button : keyArea) {
        static_cast<QPushButton*>(button)->setAutoDefault(false);
    }
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    new EditorKeyboard(keyArea, others, {selectCodeCbox_, selectModifierCbox_}, this);
}

QString CodeTableEditorWindow::keyTitle(int key) const {
    QString title = QString("Key %1").arg(key);
    if (editor_.family().arrangement == KeyArrangement::Picture && key == 9) {
        return title + ", Jack IN";
    }
    if (editor_.family().arrangement == KeyArrangement::Picture && key == 10) {
        return title + ", Jack OUT";
    }
    return title;
}

void CodeTableEditorWindow::describeKey(int key) {
    auto index = key - 1;
    QString title = keyTitle(key);
    QString code = QString::fromStdString(usageButtonText(editor_.code(key)));
    QString usage = QString::fromStdString(usageSpokenName(editor_.code(key)));
    QString modifier = QString::fromStdString(modifierSpokenName(editor_.modifier(key)));
    bool modified = editor_.modifier(key) != 0;
    describe(*keyButtons_[index], QString("%1, code %2, %3").arg(title, code, usage),
             keyLookDescription(editor_.look(key)), modified ? modifier + " + " + usage : usage);
    describe(*modifierButtons_[index], QString("%1 modifier, %2").arg(title, modifier),
             editor_.modifierSelected(key) ? "selected" : "not selected",
             modified ? modifier : QString("No modifier"));
}

}  // namespace lumora_usb_encoder
