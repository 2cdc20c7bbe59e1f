#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace lumora_usb_encoder {

class GuiThreadPost;

// The one way a window's work leaves its thread and comes back. One job at a time runs on a
// thread of its own; what the job (or any other thread: a bus watch) hands over runs on the
// window's thread, in order; the job's completion runs there too, so only the window's thread
// touches the controls. A job that throws ends with an error instead of taking the program down.
//
// Made and destroyed on the window's thread. When it goes (or stop() is called) the calls still
// waiting are dropped and the job's hand-overs return without running, so nothing reaches a
// window that has gone and a job waiting on the window never waits for ever; the job itself is
// waited for.
class WindowWorker {
  public:
    WindowWorker();
    ~WindowWorker();
    WindowWorker(const WindowWorker&) = delete;
    WindowWorker& operator=(const WindowWorker&) = delete;

    // From any thread: `call` runs later on the window's thread.
    void post(std::function<void()> call);
    // From the job's thread: runs `call` on the window's thread and returns once it has run.
    void handOver(const std::function<void()>& call);
    // `work` runs on the worker's thread, then `completed(error)` on the window's. A job still
    // running is waited for first.
    void run(std::function<void()> work, std::function<void(bool error)> completed);
    // From the start of a job until its completion has begun to run.
    bool busy() const { return busy_; }
    // Drops what waits, refuses every later hand-over and waits for the job; its completion is
    // never delivered. For a window that goes while its job runs.
    void stop();

  private:
    void join();

    std::unique_ptr<GuiThreadPost> post_;
    std::thread thread_;
    uint64_t jobs_ = 0;  // jobs started; the window's thread's alone
    bool busy_ = false;
};

}  // namespace lumora_usb_encoder
