#pragma once

#include <cstdint>

#include "hardware/GpioPort.h"
#include "platform/Mutex.h"

// The board's control lines on GPIO pins 0 and 1. Lock order: this lock, then
// the GPIO port's.
class BoardControl : public GpioPort {
public:
    ~BoardControl() override = default;

    // Makes GPIO 0..3 outputs and drives GPIO 0 and 1 with bits 0 and 1 of
    // `value`.
    void SetBoardLines(uint32_t value);

private:
    Mutex mutex_{"BoardControl", LockRank::kCardOuter};
};
