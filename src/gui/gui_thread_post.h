#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace lumora_usb_encoder {

// Hands calls from worker and notification threads to the thread this object lives on (the
// window's). Calls still queued when it is deleted are dropped, so a call never reaches a
// window that has gone.
//
// The calls wait in a queue of our own under a standard mutex, and Qt's event only says that
// one is there: what a call carries is then handed over in an order every thread checker can
// see, instead of only through Qt's internal locks.
class GuiThreadPost final : public QObject {
    Q_OBJECT
  public:
    explicit GuiThreadPost(QObject* parent);
    // From any thread.
    void post(std::function<void()> call);
    // Runs `work` on this object's thread and returns once it has run (at once when called on
    // that thread), or once this object went, or was closed, without running it.
    void call(const std::function<void()>& work);
    // Drops the calls still waiting and every call from now on; whoever waits in call() goes on.
    void close();

  signals:
    void posted();

  private:
    // One call per signal, and nothing of this object touched after it: a call may delete it.
    void runOne();

    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    bool closed_ = false;
};

}  // namespace lumora_usb_encoder
