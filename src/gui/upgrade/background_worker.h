#pragma once

#include <functional>
#include <thread>

namespace lumora_usb_encoder {

class GuiThreadPost;

// One job at a time on a thread of its own; its completion is delivered on the thread of
// `post` (the window's thread), so only the completion touches the controls. A job that throws ends
// with an error instead of taking the program down.
class BackgroundWorker {
  public:
    explicit BackgroundWorker(GuiThreadPost& post) : post_(post) {}
    ~BackgroundWorker() { wait(); }
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    // From its start until its completion has begun to run.
    bool IsBusy() const { return busy_; }
    // `work` runs on the worker's thread; `completed(error)` later on the window's.
    void RunWorkerAsync(std::function<void()> work, std::function<void(bool error)> completed);
    // Waits for a running job; its completion is then never delivered if the owner goes too.
    void wait();

  private:
    GuiThreadPost& post_;
    std::thread thread_;
    bool busy_ = false;
};

}  // namespace lumora_usb_encoder
