#pragma once

#include <cstdint>

// Microsecond time for the I2C bus timing, from the current Clock (a monotonic
// steady clock unless a test installed another).
uint64_t MicrosecondClock();

// Busy-waits until `delay_us` microseconds have passed. It neither sleeps nor
// dispatches events: the settle times it serves are far below a sleep's
// granularity. With a test clock, the wait ends only if the clock advances as
// it is read.
void DelayMicroseconds(uint64_t delay_us);
