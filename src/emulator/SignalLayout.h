#pragma once

#include <cstdint>

// Where things sit in the emulated composite signal, and at which levels.
//
// Timing. A frame is 625 lines of 2,268 samples (64 us at the source's rate),
// in two fields of 312.5 lines; line n of the frame (0-based) is line n + 1 of
// the broadcast numbering, and sample 0 of a line is its sync's leading edge
// (0H). This is also how a raw file from hacktv (-m pal -s 35437500) is laid
// out, so those files play through the same alignment. Line sync 4.7 us (167
// samples), equalising pulses 2.35 us (83), broad pulses 27.3 us (967), half
// a line 1,134 samples, front porch 1.65 us (58): the broadcast values.
// The picture starts 24 samples after the sync's trailing edge and ends where
// the decoder stops reading: those two are chosen to fill the window the
// decoder converts (from 40 samples before the sync's trailing edge, 1,804
// samples long); a broadcast signal starts its picture 202 samples after the
// trailing edge and runs 1,841 samples.
//
// Levels (raw codes), chosen as the decoder's constants imply:
//   sync tip   40  the decoder's clamp window lies inside the line sync and
//                  reads offset 0 at a mean of 40;
//   blanking   52  the decoder's lock takes the first 4-sample sum of 200 or
//                  more as the sync's trailing edge; with the sync tip at 40 the
//                  sum reaches 200 exactly at the edge, not before it, only
//                  for a porch level of 50 ... 53;
//   black 4 ... white 62   the decoder shows about 4 x the code (16 ... 248);
//                  picture lines carry black where they have no picture.
// Black below the sync tip and blanking above white is no broadcast level
// plan; it is what the decoder's fixed constants need (see the README's
// real-card section for what that means for a real chip).
namespace SignalLayout {

constexpr uint32_t kSamplesPerLine = 2268;
constexpr uint32_t kLinesPerFrame = 625;
constexpr uint64_t kSamplesPerFrame = uint64_t{kLinesPerFrame} * kSamplesPerLine;
constexpr uint32_t kHalfLine = kSamplesPerLine / 2;

// Picture size in output pixels; each pixel spans 5 samples.
constexpr uint32_t kPictureWidth = 360;
constexpr uint32_t kPictureHeight = 288;
constexpr uint32_t kSamplesPerPixel = 5;

// Levels (raw codes).
constexpr uint8_t kSyncLevel = 40;
constexpr uint8_t kBlankingLevel = 52;
constexpr uint8_t kBlackLevel = 4;
constexpr uint8_t kWhiteLevel = 62;

// Pulse lengths in samples.
constexpr uint32_t kLineSync = 167;
constexpr uint32_t kEqualisingPulse = 83;
constexpr uint32_t kBroadPulse = kHalfLine - kLineSync;
constexpr uint32_t kFrontPorch = 58;

// Line offsets. E, the sync's trailing edge, is where the decoder locks.
constexpr uint32_t kEdgeStart = kLineSync;            // E
constexpr uint32_t kPorchStart = kEdgeStart - 40;     // the decoder's picture-line sample 0
constexpr uint32_t kPictureStart = kEdgeStart + 24;   // E + 24
constexpr uint32_t kPictureEnd = kPorchStart + 1810;  // E + 1770
constexpr uint32_t kActiveEnd = kSamplesPerLine - kFrontPorch;
// Pixel p covers samples kPorchStart + kPixelPhase + 5p ... + 4, so the
// decoder's 9-sample window for pixel p is centred on it.
constexpr uint32_t kPixelPhase = 2;
// The first pixel whose centre lies in the picture (pixels before it show the
// sync and the porch).
constexpr uint32_t kFirstPicturePixel = 12;

// Frame lines of the picture: field 1 shows rows 0 ... 287 on lines 22 ... 309
// (row 0 only in the second half of its line), field 2 on lines 335 ... 622
// (row 287 only in the first half).
constexpr uint32_t kFirstPictureLineField1 = 22;
constexpr uint32_t kFirstPictureLineField2 = 335;

// Source position at a captured field's first sample that puts the lock edge of
// frame line 17 at buffer byte 2,248 and picture row 0 at buffer byte 13,548
// (5 lines later). Chosen: the chip's timing generator runs free, so where a
// field starts in the source is wherever it happens to be; this is where the
// program shows the whole field.
constexpr uint64_t kAlignedPosition = 17 * kSamplesPerLine + kEdgeStart - 2248;

// The source's nominal sample rate: the PLL frequency the engine programs, as
// the chip's registers give it back.
constexpr uint64_t kNominalRate_hz = 35'438'456;

}  // namespace SignalLayout
