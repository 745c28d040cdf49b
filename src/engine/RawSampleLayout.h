#pragma once

#include <cstddef>

// Where things lie in the capture buffer the chip fills by DMA: one field of raw
// 8-bit composite samples, sync and blanking included, as one continuous stream
// with a fixed line period. Offsets are bytes from the buffer's first byte.
namespace RawSampleLayout {

inline constexpr size_t kCaptureBufferSize_bytes = 691'200;

// One 64 us line at the nominal sampling frequency of 35,438,450 Hz.
inline constexpr size_t kLinePeriod_samples = 2'268;
inline constexpr size_t kFirstPictureLine = 13'548;
inline constexpr int kPictureLines = 288;
// Samples 0 ... 1,803 of each picture line make its 360 pixels.
inline constexpr size_t kPictureLineUsed_samples = 1'804;

// The black-level reference: 32 samples from 96 before a line's start.
inline constexpr int kClampWindowStart = -96;
inline constexpr int kClampWindow_samples = 32;

// The horizontal lock looks for a rising sync edge in 4-sample sums starting at
// kLockSearchStart + i, i = 0 ... kLockSearchPositions - 1; it wants it at i = 32.
inline constexpr size_t kLockSearchStart = 2'216;
inline constexpr int kLockSearchPositions = 256;
inline constexpr int kLockTarget = 32;

// The inversion probes: samples 56 ... 59 of picture lines 0 and 2.
inline constexpr size_t kInversionProbeLine0 = 13'604;
inline constexpr size_t kInversionProbeLine2 = 18'140;

// One past the last byte the frame conversion reads.
inline constexpr size_t kConversionEnd =
    kFirstPictureLine + kLinePeriod_samples * (kPictureLines - 1) + kPictureLineUsed_samples;
static_assert(kConversionEnd <= kCaptureBufferSize_bytes);

}  // namespace RawSampleLayout
