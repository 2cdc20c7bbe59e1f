#include "gui/upgrade/background_worker.h"

#include "gui/gui_thread_post.h"

namespace lumora_usb_encoder {

void BackgroundWorker::RunWorkerAsync(std::function<void()> work,
                                      std::function<void(bool error)> completed) {
    wait();
    busy_ = true;
    thread_ = std::thread([this, work = std::move(work), completed = std::move(completed)] {
        bool error = false;
        try {
            work();
        } catch (...) {
            error = true;
        }
        // Dropped with the window if it is gone by then.
        post_.post([this, completed, error] {
            wait();
            busy_ = false;
            completed(error);
        });
    });
}

void BackgroundWorker::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace lumora_usb_encoder
