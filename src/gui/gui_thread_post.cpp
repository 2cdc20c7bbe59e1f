#include "gui/gui_thread_post.h"

#include <QThread>
#include <condition_variable>
#include <memory>

namespace lumora_usb_encoder {

namespace {

// Wakes the caller of call() when the posted call goes, whether it ran or was dropped.
struct Done {
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
};
class DoneMark {
  public:
    explicit DoneMark(std::shared_ptr<Done> done) : done_(std::move(done)) {}
    DoneMark(const DoneMark&) = delete;
    DoneMark& operator=(const DoneMark&) = delete;
    ~DoneMark() {
        {
            std::lock_guard lock(done_->mutex);
            done_->done = true;
        }
        done_->wake.notify_all();
    }

  private:
    std::shared_ptr<Done> done_;
};

}  // namespace

GuiThreadPost::GuiThreadPost(QObject* parent) : QObject(parent) {
    connect(this, &GuiThreadPost::posted, this, &GuiThreadPost::runOne, Qt::QueuedConnection);
}

void GuiThreadPost::post(std::function<void()> call) {
    bool queued = false;
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            queue_.push_back(std::move(call));
            queued = true;
        }
    }
    // Closed: the call is dropped on return, outside the lock, which wakes a caller of call().
    if (queued) {
        emit posted();
    }
}

void GuiThreadPost::close() {
    std::deque<std::function<void()>> dropped;  // goes after the lock is let go
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(queue_);
}

void GuiThreadPost::runOne() {
    std::function<void()> next;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) {
            return;
        }
        next = std::move(queue_.front());
        queue_.pop_front();
    }
    next();
}

void GuiThreadPost::call(const std::function<void()>& work) {
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    auto done = std::make_shared<Done>();
    post([&work, mark = std::make_shared<DoneMark>(done)] {
        (void)mark;  // held until the call has gone
        work();
    });
    std::unique_lock lock(done->mutex);
    done->wake.wait(lock, [&] { return done->done; });
}

}  // namespace lumora_usb_encoder
