#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace lumora_usb_encoder::soak {

// Watches the exchanges from a thread of its own, in real time: an exchange that has not ended
// after `stuckSeconds` holds the exchange lock for good (or waits for a reply on a clock that no
// longer moves), so the run stops there and names it rather than hanging the test command.
class Watchdog {
  public:
    explicit Watchdog(int stuckSeconds) : stuckSeconds_(stuckSeconds), thread_([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void started(uint64_t exchange, const char* fault, int command) {
        fault_ = fault;
        command_ = command;
        exchange_ = exchange;
        busy_ = true;
    }
    void finished() { busy_ = false; }

  private:
    void run() {
        std::unique_lock lock(mutex_);
        uint64_t seen = 0;
        int still = 0;
        while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
            uint64_t now = exchange_;
            still = busy_ && now == seen ? still + 1 : 0;
            seen = now;
            if (still >= stuckSeconds_) {
                std::fprintf(stderr, "stuck: exchange %llu (fault %s, command %d) has not ended\n",
                             static_cast<unsigned long long>(now), fault_.load(), command_.load());
                std::abort();
            }
        }
    }

    int stuckSeconds_;
    std::atomic<uint64_t> exchange_{0};
    std::atomic<const char*> fault_{""};
    std::atomic<int> command_{0};
    std::atomic<bool> busy_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace lumora_usb_encoder::soak
