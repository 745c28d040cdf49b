#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/LineSource.h"
#include "emulator/SignalLayout.h"

// A video file as a chip input: the file is decoded once with FFmpeg (at most
// kMaxFrames frames), scaled to the picture area in grey and played in a loop,
// one decoded frame per frame of the signal whatever the file's own rate.
//
// Not thread safe; the chip model's lock covers it.
class VideoFileSource : public LineSource {
public:
    static constexpr uint32_t kMaxFrames = 250;

    // Throws std::runtime_error when the file has no decodable video.
    explicit VideoFileSource(const std::string& path);

    const uint8_t* Line(uint32_t line, uint32_t frame) override;

    uint32_t FrameCount() const { return static_cast<uint32_t>(frames_.size()); }

private:
    void Decode(const std::string& path);
    void ShowFrame(uint32_t index);

    std::vector<std::vector<uint8_t>> frames_;  // levels, 360 x 288 each
    std::vector<uint8_t> rows_;                 // each row drawn as a whole picture line
    std::array<uint8_t, SignalLayout::kSamplesPerLine> halfLine_{};
    uint32_t shownFrame_ = 0xFFFF'FFFF;
};
