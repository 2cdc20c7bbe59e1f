#include "device/polling_watch.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lumora_usb_encoder::hid {

namespace {

class PollingWatch final : public Watch {
  public:
    PollingWatch(std::function<std::set<std::string>()> listPaths, BusEventHandler handler)
        : listPaths_(std::move(listPaths)),
          handler_(std::move(handler)),
          thread_([this] { run(); }) {}
    ~PollingWatch() override {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    PollingWatch(const PollingWatch&) = delete;
    PollingWatch& operator=(const PollingWatch&) = delete;

  private:
    void run() {
        std::set<std::string> known = listPaths_();
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(500), [this] { return stop_; })) {
            lock.unlock();
            std::set<std::string> now = listPaths_();
            for (const auto& path : known) {
                if (!now.count(path)) {
                    handler_(BusEvent::Removal, path);
                }
            }
            for (const auto& path : now) {
                if (!known.count(path)) {
                    handler_(BusEvent::Arrival, path);
                }
            }
            known = std::move(now);
            lock.lock();
        }
    }

    std::function<std::set<std::string>()> listPaths_;
    BusEventHandler handler_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<Watch> makePollingWatch(std::function<std::set<std::string>()> listPaths,
                                        BusEventHandler handler) {
    return std::make_unique<PollingWatch>(std::move(listPaths), std::move(handler));
}

}  // namespace lumora_usb_encoder::hid
