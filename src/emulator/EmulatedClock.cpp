#include "emulator/EmulatedClock.h"

#include <algorithm>

#include "emulator/EmulatedChip.h"
#include "platform/Clock.h"

void EmulatedClock::Advance(uint64_t duration_us) {
    while (duration_us > 0) {
        uint64_t step = std::min(duration_us, kMaxStep_us);
        for (EmulatedChip* chip : chips_) {
            chip->AdvanceLocked(step);
        }
        now_us_ += step;
        duration_us -= step;
    }
}

void EmulatedClock::SetMode(Mode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    lastClock_us_ = CurrentClock().Microseconds();
}

void EmulatedClock::CatchUp() {
    if (mode_ != Mode::FollowCurrentClock) {
        return;
    }
    uint64_t clock_us = CurrentClock().Microseconds();
    if (clock_us > lastClock_us_) {
        Advance(clock_us - lastClock_us_);
        lastClock_us_ = clock_us;
    }
}
