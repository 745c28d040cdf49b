#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "emulator/LineSource.h"
#include "emulator/SignalLayout.h"

class TestPicture;

// The raw-sample waveform of one picture source: 625 lines of 2,268 samples in
// the field structure of FieldStructure.h, both fields showing the same
// moving test picture. Lines are kept ready-made, so producing samples is a
// copy; only the rows the moving square crosses are redrawn per frame.
//
// Not thread safe; the chip model's lock covers it.
class CompositeSignal : public LineSource {
public:
    explicit CompositeSignal(const TestPicture& picture);

    // The 2,268 samples of frame line `line` (0 ... 624) in animation frame `frame`.
    const uint8_t* Line(uint32_t line, uint32_t frame) override;

    // The picture a 360 x 288 conversion of field 1 should show in animation
    // frame `frame`, top row first (see the .cpp for the filter).
    std::vector<uint8_t> ReferencePicture(uint32_t frame) const;

private:
    void ShowFrame(uint32_t frame);
    void RenderPixels(uint32_t y, uint32_t fromX, uint32_t toX);
    void FillPixels(uint32_t y, uint32_t fromX, uint32_t toX, uint8_t level);

    const TestPicture& picture_;
    std::vector<uint8_t> rows_;  // each row drawn as a whole picture line
    std::array<uint8_t, SignalLayout::kSamplesPerLine> halfLine_{};
    uint32_t shownFrame_ = 0;
};
