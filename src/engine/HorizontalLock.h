#pragma once

#include <cstdint>

// The software horizontal lock: finds the rising sync edge in the raw samples
// and says how far to pull the sampling (PLL) frequency away from the "H Adjust"
// base so that the edge settles at its target position.
//
// Pure functions; `samples` is the start of the capture buffer, of which bytes
// 2,216 ... 2,474 are read (see RawSampleLayout).
namespace HorizontalLock {

// No edge in the search window.
inline constexpr int kNoEdge = 256;

// The first i in 0 ... 255 where samples[2216 + i] + ... + samples[2219 + i]
// reaches 200; kNoEdge when there is none.
int FindEdge(const uint8_t* samples);

// The frequency correction for an edge at `edge` (0 ... kNoEdge), by bands
// around the target 32: 0 ... 7 +40, 8 ... 15 +60, 16 ... 28 +20, 29 ... 35 0,
// 36 ... 48 -20, 49 ... 56 -60, 57 ... 256 -40. The outermost bands pull less
// than their neighbours.
int32_t Correction_hz(int edge);

// The frequency to program: `hAdjust_hz` plus the correction for the edge found
// in `samples`. Always taken from the base, never accumulated.
int32_t CorrectedFrequency_hz(const uint8_t* samples, int32_t hAdjust_hz);

}  // namespace HorizontalLock
