#pragma once

#include <cstdint>
#include <vector>

#include "emulator/LineSource.h"

class TestPicture;

// The raw-sample waveform of one picture source: 625 lines of 2,268 samples,
// each line carrying the clamp level, the black porch, the bright lock edge and
// then the picture (or black). Lines are kept ready-made, so producing samples
// is a copy; only the rows the moving square crosses are redrawn per frame.
//
// Not thread safe; the chip model's lock covers it.
class CompositeSignal : public LineSource {
public:
    explicit CompositeSignal(const TestPicture& picture);

    // The 2,268 samples of frame line `line` (0 ... 624) in animation frame `frame`.
    const uint8_t* Line(uint32_t line, uint32_t frame) override;

    // The picture a 360 x 288 conversion of one field should show in animation
    // frame `frame`, top row first (see the .cpp for the filter).
    std::vector<uint8_t> ReferencePicture(uint32_t frame) const;

    // A line without picture: clamp level, porch and edge, then black.
    static const uint8_t* BlackLine();

    // Which picture row frame line `line` shows, or kNoRow for a black line.
    static constexpr uint32_t kNoRow = 0xFFFF'FFFF;
    static uint32_t PictureRow(uint32_t line);

    // Writes the picture samples of a line from a row of 360 levels; the rest
    // of `line` is left as it is.
    static void RenderRow(const uint8_t* levels, uint8_t* line);

private:
    void ShowFrame(uint32_t frame);
    void RenderPixels(uint32_t y, uint32_t fromX, uint32_t toX);
    void FillPixels(uint32_t y, uint32_t fromX, uint32_t toX, uint8_t level);

    const TestPicture& picture_;
    std::vector<uint8_t> rows_;
    uint32_t shownFrame_ = 0;
};
