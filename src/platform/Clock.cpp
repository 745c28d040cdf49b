#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class SteadyClock final : public Clock {
public:
    uint32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

    int64_t CalendarSeconds() override {
        using namespace std::chrono;
        return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    }

    uint64_t Microseconds() override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
    }

    void SleepMs(uint32_t duration_ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(duration_ms));
    }
};

SteadyClock realClock;
std::atomic<Clock*> installedClock{nullptr};

}  // namespace

Clock& CurrentClock() {
    Clock* clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : realClock;
}

void SetCurrentClock(Clock* clock) {
    installedClock.store(clock, std::memory_order_release);
}
