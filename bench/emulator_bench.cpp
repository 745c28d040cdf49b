// Cost of the emulated card: how many emulated seconds one CPU second buys,
// and how much of a core the real-time mode takes while capturing at 25 frames
// per second.
//
//   cmake --build build-rel --target emulator_bench && ./build-rel/bench/emulator_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorTestBus.h"

namespace {

using namespace ChipRegisters;

// Programs the card as the capture engine does: raw 8-bit samples of input 2
// (PAL, crystal XT1, test register 0xEF, extended frame, vertical delay 2),
// PLL at 35,438,456 Hz, 625 lines, the DMA program that fills 674 x 1,024
// bytes per frame; then tunes the first station, as the panel does, and
// lets the PLL lock.
void StartCapture(EmulatedCard& card) {
    PhysMemDriver& driver = card.Driver();
    driver.Open();
    RegisterWindow* window = driver.MapRegisters(EmulatedCard::kFirstBar0, RegisterWindow::kSize);
    uint8_t* capture = nullptr;
    uint8_t* program = nullptr;
    uint32_t capturePhysical = 0;
    uint32_t programPhysical = 0;
    driver.AllocateBuffer(691'200, &capture, &capturePhysical);
    driver.AllocateBuffer(7'168, &program, &programPhysical);
    driver.Close();
    std::vector<uint32_t> words = {0x8000'8004u, 0, 0x8000'0006u, 0};
    for (uint32_t k = 0; k < 674; ++k) {
        words.push_back(0x1C00'0400u);
        words.push_back(capturePhysical + 1'024 * k);
    }
    words.push_back(0x7C00'0000u);
    words.push_back(programPhysical);
    std::memcpy(program, words.data(), words.size() * 4);
    window->write32(kIform, 0x53);
    window->write32(kColorFmt, 0xEE);
    window->write32(kTest, 0xEF);
    window->write32(kVbiPackDel, kVbiPackDelExtFrame);
    window->write32(kEvdelayLo, 2);
    window->write32(kOvdelayLo, 2);
    window->write32(kPllXci, 0x8E);
    window->write32(kPllFHi, 0xD9);
    window->write32(kPllFLo, 0xB4);
    window->write32(kVtotalLo, 0x70);
    window->write32(kVtotalHi, 0x02);
    window->write32(kTgctrl, kTgckiPll << kTgctrlTgckiShift);
    window->write32(kRiscStrtAdd, programPhysical);
    window->write32(kGpioDmaCtl, kDmaCtlRiscEnable);
    window->write32(kGpioDmaCtl, kDmaCtlRiscEnable | kDmaCtlFifoEnable);
    window->write32(kCapCtl, kCapCtlCaptureEven | kCapCtlCaptureOdd);
    const int64_t carrier_hz = card.StationCarrier_hz(0);
    EmulatorTestBus(*window).Tune(carrier_hz / 1'000'000 * 1'000'000,
                                  TunerModule::BandFor(carrier_hz));
    card.AdvanceUs(100'000);
}

// One emulated second in the 2 ms steps the real-time thread takes.
void BM_EmulatedSecond(benchmark::State& state) {
    EmulatedCard card;
    StartCapture(card);
    for (auto _ : state) {
        for (int step = 0; step < 500; ++step) {
            card.AdvanceUs(2'000);
        }
    }
    state.counters["emulated_s_per_cpu_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmulatedSecond)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Real-time mode for 3 s of wall time while this thread sleeps: the CPU the
// process uses is the emulator's.
void BM_RealTimeMode(benchmark::State& state) {
    EmulatedCard card;
    StartCapture(card);
    for (auto _ : state) {
        double cpuBefore = ProcessCpuSeconds();
        auto wallBefore = std::chrono::steady_clock::now();
        card.StartRealTime();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        card.StopRealTime();
        double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["core_percent"] = 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall;
    }
}
BENCHMARK(BM_RealTimeMode)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The console report, then the figures with their aims: the best emulated
// seconds per CPU second (aim: at least 10) and the real-time mode's share of
// one core.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            if (const auto found = run.counters.find("emulated_s_per_cpu_s");
                found != run.counters.end()) {
                emulatedPerCpu = std::max(emulatedPerCpu, found->second.value);
            }
            if (const auto found = run.counters.find("core_percent"); found != run.counters.end()) {
                corePercent = found->second.value;
            }
        }
    }

    void PrintSummary() const {
        std::printf("emulated s / CPU s     %6.0f  (aim >= 10)\n", emulatedPerCpu);
        std::printf("real-time mode         %6.2f  %% of one core\n", corePercent);
    }

    double emulatedPerCpu = 0;
    double corePercent = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintSummary();
    return 0;
}
