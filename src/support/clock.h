#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace lumora_usb_encoder {

// Every wait and every time stamp in the core goes through one replaceable clock, so that tests
// and the simulator can make a 5000 ms time-out or a 3000 ms restart wait cost no real time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleep(uint32_t ms) = 0;
    virtual uint32_t tickCount() = 0;
    // Sleeps until the tick count reaches `tick`. A real clock wakes at the start of that
    // millisecond, not a whole millisecond after the call, so frame-paced work keeps its pace.
    virtual void sleepUntil(uint32_t tick);
};

class SystemClock final : public Clock {
  public:
    void sleep(uint32_t ms) override;
    uint32_t tickCount() override;
    void sleepUntil(uint32_t tick) override;
};

// Time moves only when somebody sleeps (or advances it); many threads may share it.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(uint32_t start = 1000) : now_(start) {}
    void sleep(uint32_t ms) override;
    uint32_t tickCount() override;
    void advance(uint32_t ms) { sleep(ms); }

  private:
    std::atomic<uint32_t> now_;
};

// Virtual time for a program with one thread of work (the soak, a fuzz target). The shared
// virtual clock yields on every sleep so that threads sharing it take turns; with nobody to
// yield to, that is a kernel call per polled millisecond. Reads from other threads (a
// watchdog) stay safe.
class SteppingClock final : public Clock {
  public:
    void sleep(uint32_t ms) override { now_ += ms; }
    uint32_t tickCount() override { return now_; }

  private:
    std::atomic<uint32_t> now_{1000};
};

Clock& clock();
// Installs `replacement` as the process clock; returns the previous one.
std::shared_ptr<Clock> setClock(std::shared_ptr<Clock> replacement);

void Sleep(uint32_t ms);
void SleepUntil(uint32_t tick);
uint32_t GetTickCount();

}  // namespace lumora_usb_encoder
