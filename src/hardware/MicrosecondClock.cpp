#include "hardware/MicrosecondClock.h"

#include "platform/Clock.h"

uint64_t MicrosecondClock() {
    return CurrentClock().Microseconds();
}

void DelayMicroseconds(uint64_t delay_us) {
    const uint64_t deadline_us = MicrosecondClock() + delay_us;
    while (MicrosecondClock() < deadline_us) {
    }
}
