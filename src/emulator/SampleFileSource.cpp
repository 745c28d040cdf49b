#include "emulator/SampleFileSource.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

using namespace SignalLayout;

SampleFileSource::SampleFileSource(const std::string& path, Mapping mapping)
    : file_(path, "sample file " + path) {
    if (file_.Size() < kSamplesPerFrame || file_.Size() % kSamplesPerFrame != 0) {
        throw std::runtime_error("sample file " + path + ": " + std::to_string(file_.Size()) +
                                 " bytes is not a whole number of frames of " +
                                 std::to_string(kSamplesPerFrame) + " samples");
    }
    frameCount_ = static_cast<uint32_t>(file_.Size() / kSamplesPerFrame);
    for (int code = 0; code < 256; ++code) {
        double level = std::round(mapping.gain * code + mapping.offset);
        levels_[code] = static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
    }
}

// A line is mapped once however many runs the chip reads it in.
const uint8_t* SampleFileSource::Line(uint32_t line, uint32_t frame) {
    uint64_t index = uint64_t{frame % frameCount_} * kLinesPerFrame + line;
    if (index != mappedLine_) {
        const uint8_t* samples = file_.Data() + index * kSamplesPerLine;
        for (uint32_t s = 0; s < kSamplesPerLine; ++s) {
            mapped_[s] = levels_[samples[s]];
        }
        mappedLine_ = index;
    }
    return mapped_.data();
}
