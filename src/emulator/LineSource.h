#pragma once

#include <cstdint>

// Something that can be put on a chip input: the raw-sample lines of a
// 625-line, two-field signal.
class LineSource {
public:
    virtual ~LineSource() = default;

    // The 2,268 samples of frame line `line` (0 ... 624) in animation frame
    // `frame`. Valid until the next call.
    virtual const uint8_t* Line(uint32_t line, uint32_t frame) = 0;
};
