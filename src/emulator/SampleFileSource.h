#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "emulator/LineSource.h"
#include "emulator/MappedFile.h"
#include "emulator/SignalLayout.h"

// A raw 8-bit composite sample file as a chip input: whole frames of 625
// lines of 2,268 samples, sample 0 at the leading edge of line 1's sync, as
// hacktv writes them (-m pal -s 35437500 -t uint8), taken at kFileRate_hz.
// The frames play in a loop, one file frame per frame of the signal, each
// sample through the level mapping code' = gain x code + offset, rounded and
// limited to 0 ... 255. The file is mapped, not read into memory.
//
// Not thread safe; the chip model's lock covers it.
class SampleFileSource : public LineSource {
public:
    static constexpr uint64_t kFileRate_hz = 2268 * 15'625;  // 35,437,500

    struct Mapping {
        double gain = 1.0;
        double offset = 0.0;
    };

    // Throws std::runtime_error, in one line naming the file, when it can't
    // be read or isn't a whole number of frames (at least one).
    SampleFileSource(const std::string& path, Mapping mapping);

    const uint8_t* Line(uint32_t line, uint32_t frame) override;
    uint64_t SampleRate_hz(uint32_t /*frame*/) const override { return kFileRate_hz; }

    uint32_t FrameCount() const { return frameCount_; }

private:
    MappedFile file_;
    uint32_t frameCount_ = 0;
    std::array<uint8_t, 256> levels_{};
    std::array<uint8_t, SignalLayout::kSamplesPerLine> mapped_{};
    uint64_t mappedLine_ = UINT64_MAX;
};
