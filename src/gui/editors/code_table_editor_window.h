#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QVector>
#include <memory>
#include <span>

#include "codetable/code_table_editor.h"
#include "device/keypad_leaving.h"
#include "gui/message_box.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace lumora_usb_encoder {

class KeyButton;
class KeypadService;
class UserInterface;

// The code-table editor window of one family (object name My4way_layout, My12way_layout or
// My16way_layout). It only shows the editing state the CodeTableEditor holds and hands it the
// user's clicks; the keypad is reached through the editor's Apply alone. A dialog rather than a
// plain widget, so that assistive technology sees a window and Escape closes it; it is shown
// modeless all the same. Leaving the program asks about its unapplied edits before anything is
// closed, and applies them while the keypad is still open when told to.
class CodeTableEditorWindow : public QDialog, public LeaveParticipant {
    Q_OBJECT

  public:
    // `noOfWayKeypad` picks the small keypad's picture and hidden keys; `table` holds the key
    // entries as the keypad reported them. Apply sends through `service`.
    CodeTableEditorWindow(const EditorFamily& family, int noOfWayKeypad,
                          std::span<const uint8_t> table, UserInterface& ui,
                          std::shared_ptr<KeypadService> service, QWidget* owner = nullptr);
    ~CodeTableEditorWindow() override;

    const CodeTableEditor& editor() const { return editor_; }

    bool mayLeave() override;
    bool sendBeforeLeaving() override;

  public slots:
    void keyBtn_Click(int key);
    void modifierBtn_Click(int key);
    void selectCodeCbox_SelectionChangeCommitted(int position);
    void selectModifierCbox_SelectionChangeCommitted(int index);
    void resetBtn_Click();
    void applyBtn_Click();
    void exitBtn_Click();

    // Escape: closes the window the way Close does.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    // Close, Escape and the title bar all end here: unapplied edits are asked about first.
    void closeEvent(QCloseEvent* event) override;

  private:
    void createKeyButtons();
    void createLists();
    void buildLayout(int noOfWayKeypad);
    QWidget* createGridArea();
    QWidget* createPictureArea(int noOfWayKeypad);
    QGroupBox* createJackBox(const char* name, const char* title, int key);
    QWidget* createButtonRow();
    void fitWindowSize();
    void Initialisation();
    // Names, descriptions, tab order and keyboard handling for every control.
    void makeAccessible();
    // Brings every control in line with the editor's state.
    void refresh();
    // What each key and modifier button tells a screen reader and shows as its tooltip.
    void describeKey(int key);
    QString keyTitle(int key) const;
    // Sends the table; a failure is reported and leaves the window as it was.
    bool sendTable();
    // Apply, Discard or Cancel for edits closing would lose; Discard when there are none.
    MessageBox::Answer askAboutUnappliedEdits();
    // After a choice in a list, back to the button the user was working on.
    void returnFocus();

    CodeTableEditor editor_;
    UserInterface& ui_;
    std::shared_ptr<KeypadService> service_;
    bool applyOnLeaving_ = false;
    QVector<KeyButton*> keyButtons_;
    QVector<QPushButton*> modifierButtons_;
    QVector<QColor> firstColours_;  // the look of a key until it is first clicked or reset
    QVector<bool> untouched_;
    QComboBox* selectCodeCbox_ = nullptr;
    QComboBox* selectModifierCbox_ = nullptr;
    QVector<QPushButton*> windowButtons_;  // Reset, Apply, Close
    QLabel* pictureBox1_ = nullptr;
    QPointer<QWidget> lastPicked_;
    QColor currentMBColour_;
    bool centred_ = false;
};

}  // namespace lumora_usb_encoder
