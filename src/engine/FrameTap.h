#pragma once

#include <cstdint>

class CaptureCard;

// Something that wants each frame's raw capture buffer just before the frame
// loop converts it (the raw capture of --dump-raw). Called on the frame thread
// with the engine lock held, once per converted frame; it must return quickly
// and must not take the engine lock. `samples` is the whole capture buffer
// (CaptureEngine::kCaptureBufferBytes), valid only during the call;
// `fieldCount` is the chip's field counter the frame loop took the frame at;
// `card` may be asked for more of the chip's state.
class FrameTap {
public:
    virtual ~FrameTap() = default;
    virtual void OnFrame(const uint8_t* samples, uint32_t fieldCount, CaptureCard& card) = 0;

    // The tap of an engine that has none: takes nothing.
    static FrameTap& None();
};
