#include "gui/editors/code_table_editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "codetable/modifier_list.h"
#include "gui/editors/editor_colours.h"
#include "gui/editors/key_button.h"
#include "gui/message_box.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

CodeTableEditorWindow::CodeTableEditorWindow(const EditorFamily& family, int noOfWayKeypad,
                                             std::span<const uint8_t> table, UserInterface& ui,
                                             QWidget* owner)
    : QDialog(owner), editor_(family), ui_(ui) {
    setObjectName(family.windowName);
    setWindowTitle(QString::fromUtf8(family.title));
    setAttribute(Qt::WA_DeleteOnClose);
    createKeyButtons();
    createLists();
    buildLayout(noOfWayKeypad);
    makeAccessible();
    editor_.load(table);
    Initialisation();
}

void CodeTableEditorWindow::Initialisation() {
    // The modifier buttons' own colour is what they go back to after being selected.
    currentMBColour_ = modifierButtons_.front()->palette().color(QPalette::Button);
    refresh();
}

void CodeTableEditorWindow::keyBtn_Click(int key) {
    untouched_[key - 1] = false;
    lastPicked_ = keyButtons_[key - 1];
    editor_.clickKey(key);
    refresh();
}

void CodeTableEditorWindow::modifierBtn_Click(int key) {
    lastPicked_ = modifierButtons_[key - 1];
    editor_.clickModifier(key);
    refresh();
}

void CodeTableEditorWindow::selectCodeCbox_SelectionChangeCommitted(int position) {
    editor_.chooseCode(position);
    refresh();
    returnFocus();
}

void CodeTableEditorWindow::selectModifierCbox_SelectionChangeCommitted(int index) {
    editor_.chooseModifier(index);
    refresh();
    returnFocus();
}

void CodeTableEditorWindow::resetBtn_Click() {
    untouched_.fill(false);
    editor_.reset();
    refresh();
}

void CodeTableEditorWindow::applyBtn_Click() {
    if (sendTable()) {
        close();
    }
}

void CodeTableEditorWindow::exitBtn_Click() {
    close();
}

void CodeTableEditorWindow::reject() {
    close();
}

bool CodeTableEditorWindow::sendTable() {
    int32_t result = 0;
    {
        BusyScope busy(ui_);
        result = editor_.apply();
    }
    if (result != 0) {
        ui_.warn(kApplyFailureMessage, editor_.family().failureCaption);
    } else if (auto* owner = qobject_cast<QMainWindow*>(parentWidget())) {
        owner->statusBar()->showMessage("Code table applied");
    }
    return result == 0;
}

void CodeTableEditorWindow::closeEvent(QCloseEvent* event) {
    if (editor_.hasUnappliedChanges()) {
        auto answer =
            MessageBox::show(this, QString::fromUtf8(kUnappliedChangesQuestion),
                             QString::fromUtf8(editor_.family().failureCaption),
                             MessageBox::Icon::Question, MessageBox::Buttons::ApplyDiscardCancel);
        bool stay = answer == MessageBox::Answer::Cancel ||
                    (answer == MessageBox::Answer::Apply && !sendTable());
        if (stay) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void CodeTableEditorWindow::returnFocus() {
    if (lastPicked_ != nullptr && lastPicked_->isVisible()) {
        lastPicked_->setFocus(Qt::OtherFocusReason);
    }
}

void CodeTableEditorWindow::refresh() {
    for (int n = 1; n <= editor_.keyCount(); ++n) {
        auto index = n - 1;
        KeyButton& key = *keyButtons_[index];
        key.setText(QString::fromStdString(usageButtonText(editor_.code(n))));
        switch (editor_.look(n)) {
            case KeyLook::Unselected:
                key.setBackColour(untouched_[index] ? firstColours_[index] : unselectedColour());
                break;
            case KeyLook::Selected:
                key.setBackColour(selectedColour());
                break;
            case KeyLook::Assigned:
                key.setBackColour(assignedColour());
                break;
        }
        QPushButton& modifier = *modifierButtons_[index];
        modifier.setText(kModifierLabels[static_cast<size_t>(editor_.modifier(n))]);
        setButtonBackColour(modifier,
                            editor_.modifierSelected(n) ? selectedColour() : currentMBColour_);
        describeKey(n);
    }
    selectCodeCbox_->setVisible(editor_.codeListVisible());
    selectModifierCbox_->setVisible(editor_.modifierListVisible());
}

void CodeTableEditorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

}  // namespace lumora_usb_encoder
