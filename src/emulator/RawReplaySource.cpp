#include "emulator/RawReplaySource.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

using namespace SignalLayout;

namespace {

// The whole lines of the buffer the DMA program writes (674 x 1,024 bytes).
constexpr uint64_t kCapturedBytes = 674 * 1'024;
constexpr uint64_t kCapturedLines = kCapturedBytes / kSamplesPerLine;
constexpr uint64_t kRepeatBytes = kCapturedLines * kSamplesPerLine;

[[noreturn]] void Fail(const std::string& folder, const std::string& reason) {
    throw std::runtime_error("raw capture " + folder + ": " + reason);
}

std::string SamplesPath(const std::string& folder) {
    namespace fs = std::filesystem;
    if (!fs::is_directory(folder)) {
        Fail(folder, "no such folder");
    }
    return (fs::path(folder) / RawCaptureFormat::kSamplesFile).string();
}

RawCaptureFormat::Sidecar ReadSidecar(const std::string& folder) {
    std::ifstream file(std::filesystem::path(folder) / RawCaptureFormat::kSidecarFile);
    if (!file) {
        Fail(folder, std::string("no ") + RawCaptureFormat::kSidecarFile);
    }
    std::ostringstream text;
    text << file.rdbuf();
    RawCaptureFormat::Sidecar sidecar;
    std::string error;
    if (!RawCaptureFormat::Parse(text.str(), sidecar, error)) {
        Fail(folder, error);
    }
    return sidecar;
}

}  // namespace

RawReplaySource::RawReplaySource(const std::string& folder)
    : samples_(SamplesPath(folder),
               "raw capture " + folder + ": " + RawCaptureFormat::kSamplesFile) {
    const RawCaptureFormat::Sidecar sidecar = ReadSidecar(folder);
    const RawCaptureFormat::Header& header = sidecar.header;
    if (header.linePeriod_samples != kSamplesPerLine) {
        Fail(folder, "its lines are " + std::to_string(header.linePeriod_samples) +
                         " samples long, not " + std::to_string(kSamplesPerLine));
    }
    if (header.frameBytes < kCapturedBytes) {
        Fail(folder, "its frames are " + std::to_string(header.frameBytes) +
                         " bytes, fewer than the " + std::to_string(kCapturedBytes) +
                         " the capture fills");
    }
    if (sidecar.frames.empty()) {
        Fail(folder, "it holds no frame");
    }
    if (samples_.Size() != uint64_t{header.frameBytes} * sidecar.frames.size()) {
        Fail(folder, std::string(RawCaptureFormat::kSamplesFile) + " has " +
                         std::to_string(samples_.Size()) + " bytes, the sidecar lists " +
                         std::to_string(sidecar.frames.size()) + " frames of " +
                         std::to_string(header.frameBytes));
    }
    for (const RawCaptureFormat::Frame& recorded : sidecar.frames) {
        rates_hz_.push_back(recorded.pll_hz > 0 ? static_cast<uint64_t>(recorded.pll_hz)
                                                : header.sampleRate_hz);
    }
    frameBytes_ = header.frameBytes;
    frameCount_ = static_cast<uint32_t>(sidecar.frames.size());
}

uint64_t RawReplaySource::SampleRate_hz(uint32_t frame) const {
    return rates_hz_[frame % frameCount_];
}

const uint8_t* RawReplaySource::Line(uint32_t line, uint32_t frame) {
    uint64_t index = uint64_t{frame % frameCount_} * kLinesPerFrame + line;
    if (index != builtLine_) {
        frame_ = samples_.Data() + uint64_t{frame % frameCount_} * frameBytes_;
        Copy(uint64_t{line} * kSamplesPerLine, kSamplesPerLine, line_.data());
        builtLine_ = index;
    }
    return line_.data();
}

// Frame position p lies at buffer byte p - kAlignedPosition (taken round the
// frame), and buffer byte b past the captured bytes repeats byte b mod the
// length of the captured whole lines.
void RawReplaySource::Copy(uint64_t position, uint32_t count, uint8_t* destination) const {
    uint64_t byte = (position + kSamplesPerFrame - kAlignedPosition) % kSamplesPerFrame;
    while (count > 0) {
        bool captured = byte < kCapturedBytes;
        uint64_t inBuffer = captured ? byte : byte % kRepeatBytes;
        uint64_t available = captured ? kCapturedBytes - byte : kRepeatBytes - inBuffer;
        uint32_t run =
            static_cast<uint32_t>(std::min<uint64_t>({count, kSamplesPerFrame - byte, available}));
        std::copy_n(frame_ + inBuffer, run, destination);
        destination += run;
        count -= run;
        byte = (byte + run) % kSamplesPerFrame;
    }
}
