#pragma once

#include <QColor>
#include <QVector>
#include <QWidget>
#include <span>

#include "codetable/code_table_editor.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace lumora_usb_encoder {

class KeyButton;
class UserInterface;

// The code-table editor window of one family (object name My4way_layout, My12way_layout or
// My16way_layout). It only shows the editing state the CodeTableEditor holds and hands it the
// user's clicks; the keypad is reached through the editor's Apply alone.
class CodeTableEditorWindow : public QWidget {
    Q_OBJECT

  public:
    // `noOfWayKeypad` picks the small keypad's picture and hidden keys; `table` holds the key
    // entries as the keypad reported them.
    CodeTableEditorWindow(const EditorFamily& family, int noOfWayKeypad,
                          std::span<const uint8_t> table, UserInterface& ui,
                          QWidget* owner = nullptr);

    const CodeTableEditor& editor() const { return editor_; }

  public slots:
    void keyBtn_Click(int key);
    void modifierBtn_Click(int key);
    void selectCodeCbox_SelectionChangeCommitted(int position);
    void selectModifierCbox_SelectionChangeCommitted(int index);
    void resetBtn_Click();
    void applyBtn_Click();
    void exitBtn_Click();

  protected:
    void showEvent(QShowEvent* event) override;

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
    // Brings every control in line with the editor's state.
    void refresh();

    CodeTableEditor editor_;
    UserInterface& ui_;
    QVector<KeyButton*> keyButtons_;
    QVector<QPushButton*> modifierButtons_;
    QVector<QColor> firstColours_;  // the look of a key until it is first clicked or reset
    QVector<bool> untouched_;
    QComboBox* selectCodeCbox_ = nullptr;
    QComboBox* selectModifierCbox_ = nullptr;
    QLabel* pictureBox1_ = nullptr;
    QColor currentMBColour_;
    bool centred_ = false;
};

}  // namespace lumora_usb_encoder
