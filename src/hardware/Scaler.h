#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// The cropping and scaling window of both fields. It keeps the last window
// given; after every operation the registers agree with it, and the even- and
// odd-field registers agree with each other.
class Scaler {
public:
    virtual ~Scaler() = default;

    // Derives the window from the registers as found (at card construction),
    // then applies it.
    void ReadGeometry();

    // Computes HDELAY, HSCALE and VSCALE from the window and the HACTIVE and
    // VACTIVE registers and writes them into both fields. Never divides by
    // zero: a zero width gives HDELAY or HSCALE 0, and `outputLines` of 0,
    // -2 or half of VACTIVE gives VSCALE 0.
    void ApplyScaling();

    // The source window in unscaled sampling clocks (horizontal) and lines
    // (vertical); writes VDELAY and VACTIVE, then applies the scaling.
    void SetSourceWindow(int32_t hdelayX1, int32_t hactiveX1, int32_t vdelay, int32_t vactive);

    // The output size: writes HACTIVE and keeps `lines` as the line count
    // that sets the vertical scale, then applies the scaling.
    void SetOutputSize(int32_t hactive, int32_t lines);

private:
    uint32_t HorizontalDelay(int64_t hactive) const;
    uint32_t HorizontalScale(int64_t hactive) const;
    uint32_t VerticalScale(int64_t vactive) const;

    Mutex mutex_{"Scaler", LockRank::kCardInterface};
    int32_t hdelayX1_ = 0;
    int32_t hactiveX1_ = 0;
    int32_t outputLines_ = 0;
};
