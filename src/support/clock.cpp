#include "support/clock.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace lumora_usb_encoder {

void Clock::sleepUntil(uint32_t tick) {
    auto ahead = static_cast<int32_t>(tick - tickCount());
    if (ahead > 0) {
        sleep(static_cast<uint32_t>(ahead));
    }
}

void SystemClock::sleepUntil(uint32_t tick) {
    using namespace std::chrono;
    auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    auto ahead = static_cast<int32_t>(tick - static_cast<uint32_t>(now));
    if (ahead > 0) {
        std::this_thread::sleep_until(steady_clock::time_point(milliseconds(now + ahead)));
    }
}

void SystemClock::sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t SystemClock::tickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);  // wraps like the 32-bit tick counter it stands for
}

void VirtualClock::sleep(uint32_t ms) {
    now_.fetch_add(ms);
    // Let other threads that share the virtual time run; otherwise a polling loop could starve
    // the thread that is about to produce what it waits for.
    std::this_thread::yield();
}

uint32_t VirtualClock::tickCount() {
    return now_.load();
}

namespace {
std::mutex clockMutex;
std::shared_ptr<Clock>& current() {
    static std::shared_ptr<Clock> instance = std::make_shared<SystemClock>();
    return instance;
}
}  // namespace

Clock& clock() {
    std::lock_guard lock(clockMutex);
    return *current();
}

std::shared_ptr<Clock> setClock(std::shared_ptr<Clock> replacement) {
    std::lock_guard lock(clockMutex);
    auto previous = current();
    current() = replacement ? std::move(replacement) : std::make_shared<SystemClock>();
    return previous;
}

void Sleep(uint32_t ms) {
    clock().sleep(ms);
}
void SleepUntil(uint32_t tick) {
    clock().sleepUntil(tick);
}
uint32_t GetTickCount() {
    return clock().tickCount();
}

}  // namespace lumora_usb_encoder
