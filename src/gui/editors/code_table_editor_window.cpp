#include "gui/editors/code_table_editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "codetable/modifier_list.h"
#include "device/keypad_service.h"
#include "device/report_framing.h"
#include "gui/editors/editor_colours.h"
#include "gui/editors/key_button.h"
#include "gui/message_box.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

CodeTableEditorWindow::CodeTableEditorWindow(const EditorFamily& family, int noOfWayKeypad,
                                             std::span<const uint8_t> table, UserInterface& ui,
                                             std::shared_ptr<KeypadService> service, QWidget* owner)
    : QDialog(owner), editor_(family), ui_(ui), service_(std::move(service)) {
    setObjectName(family.windowName);
    setWindowTitle(QString::fromUtf8(family.title));
    setAttribute(Qt::WA_DeleteOnClose);
    createKeyButtons();
    createLists();
    buildLayout(noOfWayKeypad);
    makeAccessible();
    editor_.load(table);
    Initialisation();
    service_->addParticipant(this);
}

CodeTableEditorWindow::~CodeTableEditorWindow() {
    service_->removeParticipant(this);
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

// Another window's job may have the keypad (a self test): the table is then not sent, and the
// window says so as for a keypad that did not take it.
bool CodeTableEditorWindow::sendTable() {
    KeypadHold hold = service_->hold(KeypadJob::EditorApply, ui_);
    int32_t result = kResultNoDevice;
    if (hold) {
        BusyScope busy(hold.ui());
        result = editor_.apply();
    }
    if (result != kResultOk) {
        hold.ui().warn(kApplyFailureMessage, editor_.family().failureCaption);
    } else {
        hold.say("Code table applied");
    }
    return result == kResultOk;
}

MessageBox::Answer CodeTableEditorWindow::askAboutUnappliedEdits() {
    if (!editor_.hasUnappliedChanges()) {
        return MessageBox::Answer::Discard;
    }
    return MessageBox::show(this, QString::fromUtf8(kUnappliedChangesQuestion),
                            QString::fromUtf8(editor_.family().failureCaption),
                            MessageBox::Icon::Question, MessageBox::Buttons::ApplyDiscardCancel);
}

void CodeTableEditorWindow::closeEvent(QCloseEvent* event) {
    MessageBox::Answer answer = askAboutUnappliedEdits();
    bool stay = answer == MessageBox::Answer::Cancel ||
                (answer == MessageBox::Answer::Apply && !sendTable());
    if (stay) {
        event->ignore();
        return;
    }
    event->accept();
}

bool CodeTableEditorWindow::mayLeave() {
    MessageBox::Answer answer = askAboutUnappliedEdits();
    applyOnLeaving_ = answer == MessageBox::Answer::Apply;
    return answer != MessageBox::Answer::Cancel;
}

// The question was asked before anything closed; the table goes once the keypad is free (a self
// test has put its settings back) and still open.
bool CodeTableEditorWindow::sendBeforeLeaving() {
    return !std::exchange(applyOnLeaving_, false) || sendTable();
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
