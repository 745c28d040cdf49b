#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

// A clock that moves only when told to. SleepMs advances it instead of
// waiting, so loops that sleep run instantly and deterministically.
class ManualClock : public Clock {
public:
    explicit ManualClock(uint32_t start_tick_ms = 1000, int64_t start_calendar_s = 1'700'000'000)
        : microseconds_(uint64_t{start_tick_ms} * 1000), calendarOffset_s_(start_calendar_s) {}

    uint32_t TickCount() override { return static_cast<uint32_t>(microseconds_.load() / 1000); }
    int64_t CalendarSeconds() override {
        return calendarOffset_s_ + static_cast<int64_t>(microseconds_.load() / 1'000'000);
    }
    uint64_t Microseconds() override { return microseconds_.load(); }
    void SleepMs(uint32_t duration_ms) override { AdvanceMs(duration_ms); }

    void AdvanceMs(uint64_t ms) { microseconds_ += ms * 1000; }
    void AdvanceUs(uint64_t us) { microseconds_ += us; }
    void SetCalendarSeconds(int64_t seconds) {
        calendarOffset_s_ = seconds - static_cast<int64_t>(microseconds_.load() / 1'000'000);
    }

private:
    std::atomic<uint64_t> microseconds_;
    std::atomic<int64_t> calendarOffset_s_;
};

// Installs a clock for the lifetime of the scope.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetCurrentClock(&clock); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
    ~ScopedClock() { SetCurrentClock(nullptr); }
};
