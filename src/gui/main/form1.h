#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "device/keypad_hold.h"
#include "device/keypad_state.h"
#include "settings/keypad_fields.h"
#include "settings/settings_lists.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTextEdit;

namespace lumora_usb_encoder {

class UserInterface;
class QtUserInterface;
class KeypadService;
class WindowWorker;

// The main window: the keypad's status, its settings lists, and the buttons and menus that lead
// to everything else. Device work is done by the core jobs; this class only shows their outcome.
// It owns the program's keypad service and hands it to every window it opens; what it shows of
// the keypad is what the service tells, whichever window's job changed it.
class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    // `settingsFile`: where the settings file lives (empty: the program runs without one).
    explicit Form1(std::string settingsFile, QWidget* parent = nullptr);
    ~Form1() override;

    // The load sequence; run once before the window is first shown.
    void Form1_Load();

    const KeypadFields& fields() const { return fields_; }
    const std::string& FileName() const { return FileName_; }
    UserInterface& ui();
    const std::shared_ptr<KeypadService>& service() const { return service_; }
    // How leaving ends the program once the keypad is closed; tests replace it.
    void setQuitAction(std::function<void()> quit) { quit_ = std::move(quit); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Building (form1_controls.cpp, form1_menus.cpp).
    void buildControls();
    QWidget* buildListsColumn();
    QWidget* buildButtonsColumn();
    void buildMenus();
    void setTabOrderAll();
    QComboBox* makeList(const char* name, const QStringList& entries, const QString& shown,
                        const QString& accessibleName);
    QPushButton* makeButton(const char* name, const QString& text, const QString& description);

    // Status and enable rule (form1_status.cpp).
    int8_t GetDeviceStatusMessage();
    void EnableDisableFunctionButtons(bool enable);
    void showConnectedView();
    void showDisconnectedView();
    void showStatusLines(const StatusLines& lines);
    void showKeypadState(bool statusRead);
    // One line in the status bar after a job that went through.
    void sayDone(const std::string& text);
    void selectAcceptedEntries();
    // The keypad for one of this window's own jobs (empty while another window's job has it).
    KeypadHold job(KeypadJob job);
    // Scan For Device and the load: open the keypad afresh, read it, say what came of it.
    void scan(bool clearOptions);
    void button11_Click();
    void button10_Click();
    void exitToolStripMenuItem1_Click();
    // Exit, File -> Exit and the title bar's close: one rule, the keypad service's.
    void leaveProgram();

    // Settings lists and resets (form1_settings.cpp).
    QComboBox* listFor(SettingsList list) const;
    void commitList(SettingsList list, int entry);
    void ledBrightnessCbox_SelectionChangeCommitted(int entry);
    void ledColourCbox_SelectionChangeCommitted(int entry);
    void buzzerCbox_SelectionChangeCommitted(int entry);
    void buzzerPeriodCbox_SelectionChangeCommitted(int entry);
    void keypadTypeCbox_SelectionChangeCommitted(int entry);
    bool ledBrightnessCbox_KeyPress(QKeyEvent* event);
    bool ledColourCbox_KeyPress(QKeyEvent* event);
    bool buzzerCbox_KeyPress(QKeyEvent* event);
    bool buzzerPeriodCbox_KeyPress(QKeyEvent* event);
    bool keypadTypeCbox_KeyPress(QKeyEvent* event);
    void button8_Click();
    void button9_Click();

    // Files and menus (form1_files.cpp).
    void button3_Click();
    void aboutVorlaUSBEncoderConfiguratorToolStripMenuItem_Click();
    void exitToolStripMenuItem_Click();
    void aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1_Click();

    // The windows it opens (form1_windows.cpp).
    void button1_Click();
    void button2_Click();
    void btnLoadFirmware_MouseClick();

    // Following the keypad (form1_watch.cpp).
    void followKeypad();
    void keypadStateChanged(const KeypadState& state);
    // While another window's job has the keypad nothing here may send.
    void holdSendingControls(bool held);

    std::unique_ptr<QtUserInterface> ui_;
    std::function<void()> quit_;
    std::string FileName_;
    KeypadFields fields_;
    bool connected_ = false;  // the connected view is shown
    bool heldElsewhere_ = false;
    StatusLines configArray;
    std::shared_ptr<KeypadService> service_;
    int subscription_ = 0;
    std::unique_ptr<WindowWorker> worker_;  // after the service: it goes first

    QLabel* label1 = nullptr;
    QTextEdit* richTextBox1 = nullptr;
    QPushButton* button11 = nullptr;
    QComboBox* ledBrightnessCbox = nullptr;
    QComboBox* ledColourCbox = nullptr;
    QComboBox* buzzerCbox = nullptr;
    QComboBox* buzzerPeriodCbox = nullptr;
    QComboBox* keypadTypeCbox = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* button8 = nullptr;
    QPushButton* button9 = nullptr;
    QPushButton* button3 = nullptr;
    QPushButton* button2 = nullptr;
    QPushButton* btnLoadFirmware = nullptr;
    QPushButton* button10 = nullptr;
    QMenuBar* menuStrip1 = nullptr;
    QStatusBar* statusStrip1 = nullptr;
    QMenu* helpToolStripMenuItem = nullptr;
    QMenu* helpToolStripMenuItem1 = nullptr;
    QAction* aboutVorlaUSBEncoderConfiguratorToolStripMenuItem = nullptr;
    QAction* exitToolStripMenuItem = nullptr;
    QAction* exitToolStripMenuItem1 = nullptr;
    QAction* aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1 = nullptr;
};

}  // namespace lumora_usb_encoder
