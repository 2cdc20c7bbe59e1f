#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "device/keypad_hold.h"
#include "device/keypad_leaving.h"
#include "gui/window_worker.h"
#include "selftest/key_map.h"
#include "selftest/self_test_sequence.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace lumora_usb_encoder {

class KeypadService;
class QtUserInterface;
class TestSoundPlayer;

// The self-test window: reads the keypad at once, runs the test sequence on a worker and shows
// each stage; key presses colour the key pictures; the end puts the keypad's settings back. The
// keypad is the test's from the first read to the restore ("Self test running").
//
// The window outlives its worker: a close from the title bar while the sequence runs only asks
// it to end and hides the window, which goes once the restore has run. Leaving the program ends
// it the same way and goes on once the keypad has its settings back.
class self_test : public QWidget, public LeaveParticipant {
    Q_OBJECT
  public:
    explicit self_test(std::shared_ptr<KeypadService> service, QWidget* parent = nullptr);
    ~self_test() override;

    // From the start of the sequence until the keypad has its settings back.
    bool running() const { return start_.has_value() && !completed_; }

    // The test's work on this window's controls, called by the worker through its port.
    void AddTextToObject(selftest::Label label, const QString& text);
    void AmendCheckBox(selftest::CheckBox box);
    void highlight(selftest::Label label);
    void showKeyTestNotice(const QString& text, const QString& caption);
    // The key test has switched the keypad's table: key presses light pictures by `map`.
    void listenFor(const selftest::KeyMap& map) { keyMap_ = map; }

    // The worker hands `work` to the window's thread and waits until it is done.
    void handOver(const std::function<void()>& work);

    void endKeypadWork(std::function<void()> ended) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void InitializeSelfTest();
    void showKeyLayout(uint8_t keypadType, uint8_t options);
    void OnKeyDown(int key);
    void lightKey(const selftest::KeyHit& hit);
    // A stage's heading says, to a screen reader, whether it waits, runs or is done.
    void tellStage(int stage, const char* state);
    void endBtn_MouseClick_1();
    void backgroundWorker1_DoWork();
    void backgroundWorker1_RunWorkerCompleted();
    // Puts back what the test changed and lets the keypad go.
    void restore(UserInterface& ui);
    QLabel* labelFor(selftest::Label label) const;

    std::shared_ptr<KeypadService> service_;
    std::unique_ptr<QtUserInterface> ui_;
    KeypadHold hold_;
    std::atomic<bool> closeForm{false};
    std::optional<selftest::SelfTestStart> start_;
    std::optional<selftest::SelfTestOutcome> outcome_;  // the worker's until its completion
    bool completed_ = false;
    std::function<void()> ended_;  // leaving the program waits for the restore
    QColor backGroundColour;
    selftest::KeyMap keyMap_ = selftest::KeyMap::functionKeys();
    WindowWorker backgroundWorker1;  // last: it goes first, and its job with it

    QLabel* label3 = nullptr;
    QLabel* ledLbl = nullptr;
    QLabel* ledColourLbl = nullptr;
    QCheckBox* ledCheckBox = nullptr;
    QLabel* ledBrightnessLbl = nullptr;
    QLabel* ledLevelLbl = nullptr;
    QCheckBox* brightnessCheckBox = nullptr;
    QLabel* buzzerLbl = nullptr;
    QLabel* buzzerPeriodLbl = nullptr;
    QCheckBox* buzzerCheckBox = nullptr;
    QGridLayout* keyGrid = nullptr;
    std::array<QPushButton*, 16> keyButtons{};  // only the layout's pictures exist
    QPushButton* endBtn = nullptr;
    QLabel* label1 = nullptr;
    TestSoundPlayer* axWindowsMediaPlayer1 = nullptr;
};

}  // namespace lumora_usb_encoder
