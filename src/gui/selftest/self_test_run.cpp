// The self-test window's worker and its end: the sequence runs on a thread of its own and hands
// every control change to the window's thread; the restore runs on the window's thread.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "gui/gui_thread_post.h"
#include "gui/message_box.h"
#include "gui/qt_user_interface.h"
#include "gui/selftest/self_test.h"

namespace lumora_usb_encoder {

namespace {

// The windows whose keypad may still need its settings back; the window thread's alone.
std::vector<self_test*>& openWindows() {
    static std::vector<self_test*> windows;
    return windows;
}

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

  private:
    void onWindowThread(const std::function<void()>& work) { window_->handOver(work); }
    self_test* window_;
};

}  // namespace

void self_test::showKeyTestNotice(const QString& text, const QString& caption) {
    MessageBox::warn(this, text, caption);
}

void self_test::backgroundWorker1_DoWork() {
    WindowPort port(this);
    (void)selftest::runSelfTest(*start_, selftest::SelfTestOptions{}, port, closeForm);
    // Every way out of the sequence ends the same: the restore, on the window's thread.
    post_->post([this] { backgroundWorker1_RunWorkerCompleted(); });
}

void self_test::handOver(const std::function<void()>& work) {
    post_->call(work);
}

void self_test::backgroundWorker1_RunWorkerCompleted() {
    backgroundWorker1.join();
    (void)selftest::restoreAfterSelfTest(*start_, *ui_);
    completed_ = true;
    if (!destroying_) {
        close();
    }
}

void self_test::endBtn_MouseClick_1() {
    endBtn->setEnabled(false);
    closeForm = true;
    if (!backgroundWorker1.joinable()) {
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

void self_test::finish() {
    destroying_ = true;
    closeForm = true;
    while (running()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void self_test::track() {
    openWindows().push_back(this);
}

void self_test::finishAll() {
    std::vector<self_test*> windows = openWindows();
    for (self_test* window : windows) {
        window->finish();
        delete window;
    }
}

self_test::~self_test() {
    qApp->removeEventFilter(this);
    if (running()) {
        finish();
    }
    if (backgroundWorker1.joinable()) {
        backgroundWorker1.join();
    }
    std::erase(openWindows(), this);
}

}  // namespace lumora_usb_encoder
