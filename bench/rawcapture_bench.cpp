// What a raw capture (--dump-raw) costs the frame thread: the time
// RawCaptureWriter::OnFrame takes per frame, which is the copy of the capture
// buffer into a slot, two register reads and the hand-over; the writer's own
// thread writes the frame to disk meanwhile (into a temporary folder here).
// The figure to compare it with is the 40 ms a frame lasts.
//
//   cmake --build build-rel --target rawcapture_bench && ./build-rel/bench/rawcapture_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "engine/RawCaptureWriter.h"
#include "engine/RawSampleLayout.h"
#include "hardware/CaptureCard.h"

namespace {

constexpr double kFrame_ms = 40.0;

void BM_FrameThreadShareOfARawCapture(benchmark::State& state) {
    EmulatedCard emulated;
    CaptureCard card(emulated.Ports(), emulated.Driver());
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "quorvtv-rawcapture-bench";
    std::filesystem::remove_all(folder);
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder.string(), error);
    if (!writer) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<uint8_t> buffer(RawSampleLayout::kCaptureBufferSize_bytes, 0x40);
    uint32_t handed = 0;
    std::chrono::duration<double> worst{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        writer->OnFrame(buffer.data(), 2 * handed, card);
        worst = std::max(worst,
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - start));
        ++handed;
        // The writer keeps up at the card's 25 frames a second; here it is
        // given the time it needs, untimed, so no frame finds the slots full.
        state.PauseTiming();
        while (writer->GetTotals().frames < handed) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        state.ResumeTiming();
    }
    writer->Close(error);
    std::filesystem::remove_all(folder);
    state.counters["worst_ms"] = worst.count() * 1000.0;
    state.counters["worst_share_of_frame_percent"] = 100.0 * worst.count() * 1000.0 / kFrame_ms;
}
BENCHMARK(BM_FrameThreadShareOfARawCapture)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
