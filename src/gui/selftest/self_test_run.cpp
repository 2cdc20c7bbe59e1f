// The self-test window's worker and its end: the sequence runs on the window's worker and hands
// every control change to the window's thread; the restore runs on the window's thread.
#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <utility>

#include "device/keypad_service.h"
#include "gui/message_box.h"
#include "gui/qt_user_interface.h"
#include "gui/selftest/self_test.h"

namespace lumora_usb_encoder {

namespace {

// The sequence's port on the window: each change is made on the window's thread and waited
// for, so the sequence's pauses follow what the person sees.
class WindowPort final : public selftest::SelfTestPort {
  public:
    explicit WindowPort(self_test* window) : window_(window) {}
    void setText(selftest::Label label, const std::string& text) override {
        onWindowThread(
            [=, this] { window_->AddTextToObject(label, QString::fromStdString(text)); });
    }
    void highlight(selftest::Label label) override {
        onWindowThread([=, this] { window_->highlight(label); });
    }
    void tick(selftest::CheckBox box) override {
        onWindowThread([=, this] { window_->AmendCheckBox(box); });
    }
    void showKeyTestNotice(const std::string& text, const std::string& caption) override {
        onWindowThread([=, this] {
            window_->showKeyTestNotice(QString::fromStdString(text),
                                       QString::fromStdString(caption));
        });
    }

    void listenFor(const selftest::KeyMap& map) override {
        onWindowThread([=, this] { window_->listenFor(map); });
    }

  private:
    void onWindowThread(const std::function<void()>& work) { window_->handOver(work); }
    self_test* window_;
};

}  // namespace

void self_test::showKeyTestNotice(const QString& text, const QString& caption) {
    MessageBox::warn(this, text, caption);
    activateWindow();  // the keys pressed now are the test's: they must come here
}

void self_test::backgroundWorker1_DoWork() {
    WindowPort port(this);
    outcome_ = selftest::runSelfTest(*start_, selftest::SelfTestOptions{}, port, closeForm);
}

void self_test::handOver(const std::function<void()>& work) {
    backgroundWorker1.handOver(work);
}

// Every way out of the sequence ends the same: the restore, on the window's thread.
void self_test::backgroundWorker1_RunWorkerCompleted() {
    restore(hold_.ui());
    close();
}

void self_test::restore(UserInterface& ui) {
    bool restored = selftest::restoreAfterSelfTest(*start_, ui);
    bool answered = outcome_ && !outcome_->failed();
    if (!restored) {
        hold_.say("Self test ended; the keypad's settings were not all put back");
    } else {
        hold_.say(answered ? "Self test finished"
                           : "Self test ended: the keypad stopped answering");
    }
    hold_.release();
    completed_ = true;
    if (ended_) {
        std::exchange(ended_, nullptr)();
    }
}

void self_test::endBtn_MouseClick_1() {
    endBtn->setEnabled(false);
    closeForm = true;
    if (!running()) {
        close();  // no test ran (the status read failed): Close just closes
    }
}

void self_test::closeEvent(QCloseEvent* event) {
    if (running()) {
        // The keypad is still under test: end the run, and go once its settings are back.
        closeForm = true;
        endBtn->setEnabled(false);
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

void self_test::endKeypadWork(std::function<void()> ended) {
    if (!running()) {
        ended();
        return;
    }
    ended_ = std::move(ended);
    closeForm = true;
    endBtn->setEnabled(false);
}

self_test::~self_test() {
    qApp->removeEventFilter(this);
    service_->removeParticipant(this);
    if (running()) {
        // Going while the sequence runs (a test's end): stop it here, and still put the
        // keypad's settings back, without a word from a window that is going.
        closeForm = true;
        backgroundWorker1.stop();
        SilentUserInterface quiet;
        restore(quiet);
    }
}

}  // namespace lumora_usb_encoder
