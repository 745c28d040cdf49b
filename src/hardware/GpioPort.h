#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// The chip's general-purpose I/O pins 23..0. Each operation holds the port's
// lock for its whole register sequence.
class GpioPort {
public:
    virtual ~GpioPort() = default;

    // GPIO_OUT_EN bits 23..0 := mask bits 23..0 (1 makes a pin an output);
    // bits 31..24 of the register word keep their value.
    void SetOutputEnable(uint32_t mask);

    // GPIO_DATA bits high..low := the low bits of `value`, the other bits
    // unchanged. Writes nothing unless 0 <= low <= high <= 31.
    void WriteField(int32_t low, int32_t high, int32_t value);

private:
    Mutex mutex_{"GpioPort", LockRank::kCardInner};
};
