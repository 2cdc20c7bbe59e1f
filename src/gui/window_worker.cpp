#include "gui/window_worker.h"

#include "gui/gui_thread_post.h"

namespace lumora_usb_encoder {

WindowWorker::WindowWorker() : post_(std::make_unique<GuiThreadPost>(nullptr)) {}

WindowWorker::~WindowWorker() {
    stop();
}

void WindowWorker::post(std::function<void()> call) {
    post_->post(std::move(call));
}

void WindowWorker::handOver(const std::function<void()>& call) {
    post_->call(call);
}

void WindowWorker::run(std::function<void()> work, std::function<void(bool error)> completed) {
    join();
    busy_ = true;
    uint64_t job = ++jobs_;
    thread_ = std::thread([this, job, work = std::move(work), completed = std::move(completed)] {
        bool error = false;
        try {
            work();
        } catch (...) {
            error = true;
        }
        // Dropped with the worker if it is gone by then.
        post_->post([this, job, completed, error] {
            if (job == jobs_) {  // not a later job's thread, which may still run
                join();
                busy_ = false;
            }
            completed(error);
        });
    });
}

void WindowWorker::stop() {
    post_->close();
    join();
    busy_ = false;
}

void WindowWorker::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace lumora_usb_encoder
