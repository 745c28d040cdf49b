// The frame conversion timed beside two yardsticks, in one run:
//  - memcpy of the span of the capture buffer the conversion reads: 288 lines of
//    2,268 bytes from the first line's clamp window on (653,184 bytes);
//  - libswscale area-scaling the same 1,804 x 288 grey region to 360 x 288.
// Afterwards it prints conversion / memcpy (aim: at most 3) and
// conversion / swscale (aim: below 1), from the fastest run of each, in CPU
// time, which other processes on a busy machine disturb least.
#include <benchmark/benchmark.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/FrameConverter.h"
#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"
#include "platform/VideoSurface.h"

namespace {

using namespace RawSampleLayout;

constexpr size_t kReadSpanStart = kFirstPictureLine + kClampWindowStart;
constexpr size_t kReadSpan_bytes = kLinePeriod_samples * kPictureLines;
static_assert(kReadSpanStart + kReadSpan_bytes >= kConversionEnd);

const std::vector<uint8_t>& CaptureBuffer() {
    static const std::vector<uint8_t> buffer = [] {
        std::vector<uint8_t> samples(kCaptureBufferSize_bytes);
        std::mt19937 random(6);
        std::generate(samples.begin(), samples.end(), [&] { return random() & 0xFF; });
        return samples;
    }();
    return buffer;
}

void Conversion(benchmark::State& state) {
    const uint8_t* samples = CaptureBuffer().data();
    FrameRecord record;
    for (auto _ : state) {
        FrameConverter::Convert(samples, FrameConverter::Polarity::kNormal, record);
        benchmark::DoNotOptimize(record.Pixels());
        benchmark::ClobberMemory();
    }
}

void ConversionAndSurface(benchmark::State& state) {
    const uint8_t* samples = CaptureBuffer().data();
    FrameRecord record;
    VideoSurface surface({}, QPoint(5, 5));
    for (auto _ : state) {
        FrameConverter::Convert(samples, FrameConverter::Polarity::kNormal, record);
        surface.Present(record.Pixels(), {});
        benchmark::ClobberMemory();
    }
}

void MemcpyOfReadSpan(benchmark::State& state) {
    const uint8_t* span = CaptureBuffer().data() + kReadSpanStart;
    std::vector<uint8_t> copy(kReadSpan_bytes);
    for (auto _ : state) {
        std::memcpy(copy.data(), span, kReadSpan_bytes);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

void SwscaleArea(benchmark::State& state) {
    constexpr int kSourceWidth = static_cast<int>(kPictureLineUsed_samples);
    SwsContext* scaler =
        sws_getContext(kSourceWidth, kPictureLines, AV_PIX_FMT_GRAY8, FrameRecord::kWidth,
                       FrameRecord::kHeight, AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr);
    if (scaler == nullptr) {
        state.SkipWithError("sws_getContext failed");
        return;
    }
    const uint8_t* source[1] = {CaptureBuffer().data() + kFirstPictureLine};
    const int sourceStride[1] = {static_cast<int>(kLinePeriod_samples)};
    std::vector<uint8_t> picture(FrameRecord::kPixelsSize_bytes);
    uint8_t* destination[1] = {picture.data()};
    const int destinationStride[1] = {FrameRecord::kWidth};
    for (auto _ : state) {
        sws_scale(scaler, source, sourceStride, 0, kPictureLines, destination, destinationStride);
        benchmark::DoNotOptimize(picture.data());
        benchmark::ClobberMemory();
    }
    sws_freeContext(scaler);
}

BENCHMARK(Conversion)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConversionAndSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemcpyOfReadSpan)->Unit(benchmark::kMicrosecond);
BENCHMARK(SwscaleArea)->Unit(benchmark::kMicrosecond);

// The console report, plus the fastest time per frame of each benchmark (from
// single runs, or medians when only aggregates are reported).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type != Run::RT_Iteration && !median)) {
                continue;
            }
            auto [entry, added] = fastest_us.try_emplace(run.run_name.function_name,
                                                         std::numeric_limits<double>::max());
            entry->second = std::min(entry->second, run.GetAdjustedCPUTime());
        }
    }

    void PrintRatio(const char* label, const std::string& over, double target) const {
        const auto conversion = fastest_us.find("Conversion");
        const auto yardstick = fastest_us.find(over);
        if (conversion == fastest_us.end() || yardstick == fastest_us.end()) {
            return;
        }
        std::printf("%-22s %6.2f  (%.1f us / %.1f us CPU; aim %s %.0f)\n", label,
                    conversion->second / yardstick->second, conversion->second, yardstick->second,
                    target == 1 ? "<" : "<=", target);
    }

    std::map<std::string, double> fastest_us;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintRatio("conversion / memcpy", "MemcpyOfReadSpan", 3);
    reporter.PrintRatio("conversion / swscale", "SwscaleArea", 1);
    return 0;
}
