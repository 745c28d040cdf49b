#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/LineSource.h"
#include "emulator/MappedFile.h"
#include "emulator/SignalLayout.h"
#include "util/RawCaptureFormat.h"

// A raw capture folder (RawCaptureFormat.h) as a chip input, so a capture from
// a real card can be watched, tested and sent with a bug report. Each captured
// buffer becomes one frame of the signal, in order and in a loop, each at the
// PLL rate recorded with it, and each even field the chip starts begins the
// next one: with the PLL where it was, the chip captures the recorded buffers
// again, wherever its fields happened to fall when it started. A buffer
// holds only the first 304 lines after the even field's start (the DMA
// program's 690,176 bytes); the rest of the frame, which the program never
// captures, repeats those lines from the top, so the line timing runs on.
//
// Not thread safe; the chip model's lock covers it.
class RawReplaySource : public LineSource {
public:
    // Throws std::runtime_error with a one-line reason when the folder, its
    // files or their sizes are wrong.
    explicit RawReplaySource(const std::string& folder);

    const uint8_t* Line(uint32_t line, uint32_t frame) override;
    // The PLL read back with the frame (the capture's rate where a line lacks it).
    uint64_t SampleRate_hz(uint32_t frame) const override;
    bool FollowsCapturedFields() const override { return true; }

    uint32_t FrameCount() const { return frameCount_; }

private:
    void Copy(uint64_t position, uint32_t count, uint8_t* destination) const;

    MappedFile samples_;
    std::vector<uint64_t> rates_hz_;
    uint32_t frameCount_ = 0;
    uint32_t frameBytes_ = 0;
    const uint8_t* frame_ = nullptr;
    std::array<uint8_t, SignalLayout::kSamplesPerLine> line_{};
    uint64_t builtLine_ = UINT64_MAX;
};
