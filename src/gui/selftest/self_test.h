#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "selftest/self_test_sequence.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace lumora_usb_encoder {

class GuiThreadPost;
class QtUserInterface;

// The self-test window: reads the keypad at once, runs the test sequence on a worker and shows
// each stage; key presses colour the key pictures; the end puts the keypad's settings back.
//
// The window outlives its worker: a close from the title bar while the sequence runs only asks
// it to end and hides the window, which goes once the restore has run.
class self_test : public QWidget {
    Q_OBJECT
  public:
    explicit self_test(QWidget* parent = nullptr);
    ~self_test() override;

    // Ends every running self test and restores its keypad; for leaving the program.
    static void finishAll();
    bool running() const { return backgroundWorker1.joinable() && !completed_; }

    // The test's work on this window's controls, called by the worker through its port.
    void AddTextToObject(selftest::Label label, const QString& text);
    void AmendCheckBox(selftest::CheckBox box);
    void highlight(selftest::Label label);
    void showKeyTestNotice(const QString& text, const QString& caption);

    // The worker hands `work` to the window's thread and waits until it is done.
    void handOver(const std::function<void()>& work);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void track();
    void InitializeSelfTest();
    void showKeyLayout(uint8_t keypadType, uint8_t options);
    void OnKeyDown(int key);
    void endBtn_MouseClick_1();
    void backgroundWorker1_DoWork();
    void backgroundWorker1_RunWorkerCompleted();
    // Asks the worker to end and waits, serving its calls meanwhile, until the restore has run.
    void finish();
    QLabel* labelFor(selftest::Label label) const;

    std::unique_ptr<QtUserInterface> ui_;
    GuiThreadPost* post_;  // the worker's calls to this window's thread
    std::atomic<bool> closeForm{false};
    std::optional<selftest::SelfTestStart> start_;
    std::thread backgroundWorker1;
    bool completed_ = false;
    bool destroying_ = false;
    QColor backGroundColour;

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
    std::array<QPushButton*, 16> keyButtons{};
    QPushButton* endBtn = nullptr;
    QLabel* label1 = nullptr;
};

}  // namespace lumora_usb_encoder
