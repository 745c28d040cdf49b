#pragma once

#include "platform/Mutex.h"

// The pixel format the chip delivers.
class ColorFormat {
public:
    virtual ~ColorFormat() = default;

    // COLOR_FMT: the odd field's format := code & 0xF, then the even field's
    // := the odd field's. 14 selects raw 8-bit samples.
    void SetColorFormat(int code);

private:
    Mutex mutex_{"ColorFormat", LockRank::kCardInterface};
};
