#include "gui/upgrade/background_worker.h"

#include <QMetaObject>
#include <QObject>

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
        // Queued to the owner: dropped with it if the window is gone by then.
        QMetaObject::invokeMethod(
            owner_,
            [this, completed, error] {
                wait();
                busy_ = false;
                completed(error);
            },
            Qt::QueuedConnection);
    });
}

void BackgroundWorker::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace lumora_usb_encoder
