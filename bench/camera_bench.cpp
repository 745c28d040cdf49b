// What the PipeWire camera costs per frame, without a daemon:
//  - on the frame thread, while a consumer streams: the hand-off of one
//    picture (FrameHandOff::Put, a copy and an atomic exchange), beside the
//    frame conversion that runs there anyway;
//  - on the camera's own thread: writing the picture into a consumer's buffer
//    in each offered format.
// Afterwards it prints the hand-off as a share of the conversion, and each
// format's per-frame work as a share of one core at 25 frames a second, from
// the fastest run of each, in CPU time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/FrameConverter.h"
#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"
#include "platform/CameraFormat.h"
#include "platform/FrameHandOff.h"

namespace {

constexpr double kFramesPerSecond = 25;

std::vector<uint8_t> Noise(size_t bytes, unsigned seed) {
    std::vector<uint8_t> values(bytes);
    std::mt19937 random(seed);
    std::generate(values.begin(), values.end(), [&] { return random() & 0xFF; });
    return values;
}

void Conversion(benchmark::State& state) {
    const std::vector<uint8_t> samples = Noise(RawSampleLayout::kCaptureBufferSize_bytes, 6);
    FrameRecord record;
    for (auto _ : state) {
        FrameConverter::Convert(samples.data(), FrameConverter::Polarity::kNormal, record);
        benchmark::DoNotOptimize(record.Pixels());
        benchmark::ClobberMemory();
    }
}

void HandOff(benchmark::State& state) {
    const std::vector<uint8_t> picture = Noise(FrameRecord::kPixelsSize_bytes, 7);
    FrameHandOff handOff(FrameRecord::kPixelsSize_bytes);
    uint64_t sequence = 0;
    for (auto _ : state) {
        handOff.Put(picture.data(), ++sequence);
        benchmark::ClobberMemory();
    }
}

void Write(benchmark::State& state, CameraFormat::Pixels pixels) {
    const std::vector<uint8_t> picture = Noise(FrameRecord::kPixelsSize_bytes, 8);
    const CameraFormat format(pixels);
    std::vector<uint8_t> buffer(format.Size_bytes());
    for (auto _ : state) {
        format.Write(picture.data(), buffer.data());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(Conversion)->Unit(benchmark::kMicrosecond);
BENCHMARK(HandOff)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Write, Gray8, CameraFormat::Pixels::Gray8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Write, I420, CameraFormat::Pixels::I420)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Write, Yuy2, CameraFormat::Pixels::Yuy2)->Unit(benchmark::kMicrosecond);

// The console report, plus the fastest time per frame of each benchmark.
class ShareReporter : public benchmark::ConsoleReporter {
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

    void PrintShares() const {
        const auto conversion = fastest_us.find("Conversion");
        const auto handOff = fastest_us.find("HandOff");
        if (conversion != fastest_us.end() && handOff != fastest_us.end()) {
            std::printf("hand-off / conversion  %6.3f  (%.1f us / %.1f us CPU per frame)\n",
                        handOff->second / conversion->second, handOff->second, conversion->second);
        }
        for (const auto& [name, us] : fastest_us) {
            if (name.rfind("Write/", 0) == 0) {
                std::printf("%-22s %6.3f %% of one core at 25 frames/s (%.1f us per frame)\n",
                            name.c_str(), us * kFramesPerSecond / 1e4, us);
            }
        }
    }

    std::map<std::string, double> fastest_us;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintShares();
    return 0;
}
