#pragma once

#include <cstdint>

// Where things sit in the emulated composite signal. Sample offsets are counted
// within one line of 2,268 samples; E is the lock edge (line offset 167).
namespace SignalLayout {

constexpr uint32_t kSamplesPerLine = 2268;
constexpr uint32_t kLinesPerFrame = 625;
constexpr uint64_t kSamplesPerFrame = uint64_t{kLinesPerFrame} * kSamplesPerLine;

// Picture size in output pixels; each pixel spans 5 samples.
constexpr uint32_t kPictureWidth = 360;
constexpr uint32_t kPictureHeight = 288;
constexpr uint32_t kSamplesPerPixel = 5;

// Levels (raw codes).
constexpr uint8_t kClampLevel = 40;
constexpr uint8_t kBlackLevel = 4;
constexpr uint8_t kWhiteLevel = 62;
constexpr uint8_t kEdgeLevel = 64;

// Line offsets.
constexpr uint32_t kClampStart = 0;      // E - 167
constexpr uint32_t kPorchStart = 127;    // E - 40: the picture line's sample 0
constexpr uint32_t kEdgeStart = 167;     // E
constexpr uint32_t kPictureStart = 191;  // E + 24
constexpr uint32_t kPictureEnd = kPorchStart + 1810;
// Pixel p covers samples kPorchStart + kPixelPhase + 5p ... + 4, so the
// decoder's 9-sample window for pixel p is centred on it.
constexpr uint32_t kPixelPhase = 2;
// The first pixel whose centre lies in the picture (pixels before it show the
// porch and the edge).
constexpr uint32_t kFirstPicturePixel = 12;

// Frame lines: 23 black lines then 288 picture lines in each field. The second
// field starts half-way through line 312.
constexpr uint32_t kBlackLinesPerField = 23;
constexpr uint32_t kFirstPictureLineField1 = kBlackLinesPerField;
constexpr uint32_t kFirstPictureLineField2 = 313 + kBlackLinesPerField;

// Source position at a captured field's first sample that puts the lock edge
// of the field's line 18 at buffer byte 2,248 and the picture's first line at
// buffer byte 13,548 (5 lines later).
constexpr uint64_t kAlignedPosition = 18 * kSamplesPerLine + kEdgeStart - 2248;

// The source's nominal sample rate: the PLL frequency the engine programs, as
// the chip's registers give it back.
constexpr uint64_t kNominalRate_hz = 35'438'456;

}  // namespace SignalLayout
