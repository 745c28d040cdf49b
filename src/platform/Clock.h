#pragma once

#include <cstdint>

// The program's one source of time. Everything that reads the tick counter,
// the calendar or the microsecond clock, or sleeps, goes through the current
// Clock, so tests can replace it with a stepped one and never wait in real time.
//
// Thread safety: implementations must allow calls from any thread.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; wraps after about 49.7 days.
    // Compare tick counts by difference, never by magnitude.
    virtual uint32_t TickCount() = 0;

    // Calendar time in seconds since 1970-01-01 00:00 UTC.
    virtual int64_t CalendarSeconds() = 0;

    // Monotonic microseconds for short busy waits.
    virtual uint64_t Microseconds() = 0;

    // Blocks the calling thread for the given time.
    virtual void SleepMs(uint32_t duration_ms) = 0;
};

// The clock in force. The real clock unless a test installed another.
Clock& CurrentClock();

// Installs `clock` as the current clock; nullptr restores the real one.
// The caller keeps ownership and must restore before destroying it.
void SetCurrentClock(Clock* clock);

// True when `now` is at or past `since` + `interval_ms`, across the 32-bit wrap.
inline bool TicksElapsed(uint32_t now, uint32_t since, uint32_t interval_ms) {
    return static_cast<uint32_t>(now - since) >= interval_ms;
}
