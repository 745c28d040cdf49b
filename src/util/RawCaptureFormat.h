#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The raw capture folder written by --dump-raw and read by the emulator's
// raw: source. Two files:
//
//   capture.u8   the capture buffer of each converted frame, whole and as it
//                stood when converted, one after the other (frame-bytes each);
//   capture.txt  the sidecar, plain text:
//                  QuorvTV raw capture 1
//                  program-version 1.0.0
//                  sample-rate-hz 35438456        the PLL read back at the first frame
//                  line-period-samples 2268
//                  frame-bytes 691200
//                  # frame field-count pll-hz dstatus missed dropped time-us
//                  0 2 35438456 0xf0 0 0 1000000
//                  ...
//                  end frames 250 missed 0 dropped 0
//                one line per frame in the samples file: its index there, the
//                chip's field counter (FCAP, 0 ... 255), the PLL read back, the
//                DSTATUS byte, the frames before it that the frame loop never
//                saw (a field-counter jump of more than one frame) and those it
//                saw but the writer had no room for, and the monotonic time in
//                microseconds. The end line, written when the capture is
//                closed, adds them up.
namespace RawCaptureFormat {

inline constexpr const char* kSamplesFile = "capture.u8";
inline constexpr const char* kSidecarFile = "capture.txt";
inline constexpr const char* kMagic = "QuorvTV raw capture 1";

struct Header {
    uint64_t sampleRate_hz = 0;
    uint32_t linePeriod_samples = 0;
    uint32_t frameBytes = 0;
    std::string programVersion;
};

struct Frame {
    uint32_t index = 0;
    uint32_t fieldCount = 0;
    int64_t pll_hz = 0;
    uint32_t dstatus = 0;
    uint32_t missed = 0;
    uint32_t dropped = 0;
    uint64_t time_us = 0;
};

struct Totals {
    uint32_t frames = 0;
    uint32_t missed = 0;
    uint32_t dropped = 0;
};

std::string HeaderText(const Header& header);
std::string FrameLine(const Frame& frame);
std::string EndLine(const Totals& totals);

struct Sidecar {
    Header header;
    std::vector<Frame> frames;
    bool closed = false;  // the end line was there
};

// Parses a sidecar. On a damaged one returns false with `error` naming the
// line and what is wrong with it.
bool Parse(const std::string& text, Sidecar& sidecar, std::string& error);

}  // namespace RawCaptureFormat
