#pragma once

#include <cstdint>

#include "support/ManualClock.h"

// A stepped clock for busy-wait loops: every read of the microsecond time
// moves it on by `step_us`, so DelayMicroseconds and the I2C line waits end
// after a known number of reads without any real waiting. Installed for its
// lifetime.
class FakeMicrosecondClock : public ManualClock {
public:
    explicit FakeMicrosecondClock(uint64_t step_us = 1) : step_us_(step_us) {
        SetCurrentClock(this);
    }
    FakeMicrosecondClock(const FakeMicrosecondClock&) = delete;
    FakeMicrosecondClock& operator=(const FakeMicrosecondClock&) = delete;
    ~FakeMicrosecondClock() override { SetCurrentClock(nullptr); }

    uint64_t Microseconds() override {
        const uint64_t now_us = ManualClock::Microseconds();
        AdvanceUs(step_us_);
        return now_us;
    }

    // The time without moving the clock.
    uint64_t Peek_us() { return ManualClock::Microseconds(); }

private:
    uint64_t step_us_;
};
