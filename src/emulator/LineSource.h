#pragma once

#include <cstdint>

#include "emulator/SignalLayout.h"

// Something that can be put on a chip input: the raw-sample lines of a
// 625-line, two-field signal.
class LineSource {
public:
    virtual ~LineSource() = default;

    // The 2,268 samples of frame line `line` (0 ... 624) in animation frame
    // `frame`. Valid until the next call.
    virtual const uint8_t* Line(uint32_t line, uint32_t frame) = 0;

    // The rate the samples of animation frame `frame` were taken at: 2,268
    // of them make a line.
    virtual uint64_t SampleRate_hz(uint32_t /*frame*/) const {
        return SignalLayout::kNominalRate_hz;
    }

    // True for a source made of captured fields: each field the chip captures
    // from its first sample on (buffer byte 0) then begins the source's next
    // frame at SignalLayout's aligned position, as the capture it came from
    // began, whatever the chip did before. Other sources run free.
    virtual bool FollowsCapturedFields() const { return false; }
};
