#pragma once

#include <cstdint>

class FrameRecord;

// Turns one field of raw composite samples into the 360 x 288 grey picture:
// black-level clamping, a 9-tap low-pass filter and 5 : 1 horizontal
// decimation, optionally inverted.
//
// Pure functions over the capture buffer. `samples` is its first byte and must
// give access to the whole 691,200-byte buffer
// (RawSampleLayout::kCaptureBufferSize_bytes); the conversion reads bytes
// 13,452 ... 666,267 of it, the polarity test bytes 13,604 ... 18,143.
// The chip may be writing the buffer meanwhile; a torn frame is accepted.
namespace FrameConverter {

enum class Polarity { kNormal, kInverted };

// The inversion test: kInverted when the sum over j = 0 ... 3 of
// samples[18140 + j] - samples[13604 + j] is greater than 120.
Polarity DetectPolarity(const uint8_t* samples);

// Converts picture lines 0 ... 287 into `record`'s pixels, line 0 into the last
// stored row (the record is bottom-up). For line r, with L the samples from
// 13,548 + 2,268 r on:
//   offset = (1280 - (L[-96] + ... + L[-65])) >> 4         (arithmetic shift)
//   t[k]   = L[k] + L[k + 4]
//   v      = (((t[c-2] + 2 (t[c-1] + t[c] + t[c+1]) + t[c+2]) >> 1) + offset) >> 1
// for pixel p = 0 ... 359 with c = 2 + 5p; kInverted makes v 255 - v; v is then
// clamped to 0 ... 255. Allocates nothing.
// Uses the fastest path the processor can run.
void Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record);

// The implementations of the line conversion, all with the same result: AVX2
// (x86 processors that have it), SSE2 (every x86-64 processor) and plain C++.
enum class Path { kAvx2, kSse2, kPortable };

// True when `path` is built into this program and the processor can run it.
bool IsAvailable(Path path);

// Convert through `path`; false, and the record untouched, when the path
// isn't available.
bool Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record, Path path);

}  // namespace FrameConverter
