#pragma once

#include <algorithm>
#include <cstdint>

#include "emulator/SignalLayout.h"

// The 625-line, two-field structure of the emulated composite signal (timing
// and levels in SignalLayout.h): per frame line, which sync pulses it carries
// and which part of it, if any, shows a picture row.
//
//   lines   0 ... 1     broad pulses in both halves (field 1's vertical sync)
//   line    2           broad, then equalising
//   lines   3 ... 4     equalising pulses in both halves
//   lines   5 ... 21    line sync and blanking
//   line   22           picture row 0 in its second half only
//   lines  23 ... 309   picture rows 1 ... 287
//   lines 310 ... 311   equalising pulses
//   line  312           equalising, then broad (field 2's vertical sync starts
//                       half a line later than field 1's)
//   lines 313 ... 314   broad pulses
//   lines 315 ... 316   equalising pulses
//   line  317           equalising, then blanking
//   lines 318 ... 334   line sync and blanking
//   lines 335 ... 621   picture rows 0 ... 286
//   line  622           picture row 287 in its first half, then equalising
//   lines 623 ... 624   equalising pulses
//
// Stateless; the ready-made lines are built once and shared.
class FieldStructure {
public:
    static constexpr uint32_t kNoRow = 0xFFFF'FFFF;

    // Which picture row frame line `line` (0 ... 624) shows, or kNoRow.
    static uint32_t PictureRow(uint32_t line);

    // The frame line of field 1 that shows picture row `row`.
    static uint32_t Field1Line(uint32_t row);

    // The 2,268 samples of `line` without its picture: pulses, blanking, and
    // black where the picture goes. Valid for the life of the program.
    static const uint8_t* Template(uint32_t line);

    // Samples [first, end) of `line` that carry its picture row (empty for a
    // line without one).
    struct Span {
        uint32_t first = 0;
        uint32_t end = 0;
    };
    static Span PictureSpan(uint32_t line);

    // The picture sample at line offset `sample` shows pixel PixelAt(sample).
    // Inline: the moving square redraws its rows sample by sample.
    static uint32_t PixelAt(uint32_t sample) {
        using namespace SignalLayout;
        return std::min((sample - kPorchStart - kPixelPhase) / kSamplesPerPixel, kPictureWidth - 1);
    }

    // Writes `line` into `samples`: its template with the picture row given
    // as 360 levels, one per output pixel.
    static void Compose(uint32_t line, const uint8_t* levels, uint8_t* samples);

    // The samples of picture line `line`, given its row drawn as a whole
    // picture line (`wholeRow`, as Compose draws lines 23 ... 309): that row
    // itself, or for the two half lines their part of it composed into
    // `scratch` (2,268 bytes).
    // Inline: it runs for every run of samples the chip reads from a picture
    // line, and only the first and the last picture line are half lines.
    static const uint8_t* FromWholeRow(uint32_t line, const uint8_t* wholeRow, uint8_t* scratch) {
        using namespace SignalLayout;
        if (line != kFirstPictureLineField1 &&
            line != kFirstPictureLineField2 + kPictureHeight - 1) {
            return wholeRow;
        }
        return ComposeHalfLine(line, wholeRow, scratch);
    }

    // A line that carries a whole picture row, for drawing rows into.
    static const uint8_t* WholePictureLine();

private:
    static const uint8_t* ComposeHalfLine(uint32_t line, const uint8_t* wholeRow, uint8_t* scratch);
};
