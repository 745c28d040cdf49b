// How long the user-interface thread waits for the engine lock while the frame
// loop runs: the emulated card in real time, the frame thread converting and
// painting every frame (status text visible), and the panel's operations
// (channel knob, H and V spins, the control-state queries) issued at random
// moments. Each sample is the time LockPumping takes to get the engine lock,
// exactly as every engine operation starts; the operation then runs under
// that hold, so it disturbs the frame loop as the real one would.
#include <QDir>
#include <QPoint>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "display/StatusOverlay.h"
#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "engine/FrameThread.h"
#include "engine/ThreadRegistry.h"
#include "hardware/CaptureCard.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"
#include "platform/VideoSurface.h"
#include "support/RecorderFakeDialog.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr auto kMeasuredTime = std::chrono::milliseconds(2'500);
constexpr int kLongestPause_us = 6'000;  // about three frame-loop passes

// The 99th percentile falls within a frame's conversion and painting, which
// an unoptimised or sanitizer build does several times slower (waits of up to
// 50 ms there); the 5 ms budget is the optimised program's. The median shows
// the loop's design in every build: outside a pass's work the lock is free,
// whereas a loop that sleeps holding it makes the median wait about 1 ms.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr double kWaitAt99thPercentile_ms = 5.0;
#else
constexpr double kWaitAt99thPercentile_ms = 20.0;
#endif
constexpr double kMedianWait_ms = 0.5;

// ThreadSanitizer slows every memory access and lock many times over (a tune
// alone takes seconds there): the run still lets it watch the two threads
// meet, but its times say nothing about the program.
#if defined(__SANITIZE_THREAD__)
constexpr bool kTimesMeanSomething = false;
#else
constexpr bool kTimesMeanSomething = true;
#endif

// The engine over an emulated card whose clock thread runs in real time, with
// one stored channel (the band's first station) so tuning reaches the tuner.
class LiveEngine {
public:
    LiveEngine()
        : card_(Started(emulated_).Ports(), emulated_.Driver()),
          surface_(nullptr, QPoint(5, 5)),
          engine_(&card_, &surface_, 5, 5,
                  {Home("channels.txt"), &dialog_, Home("options.bin"), [] {}}) {
        engine_.SetChannel(static_cast<uint32_t>(emulated_.StationCarrier_hz(0)), "ONE");
        thread_ = new FrameThread(&engine_, &registry_);
        if (!StartThread(thread_, 1)) {
            thread_ = nullptr;
        }
    }
    ~LiveEngine() { StopThread(thread_); }

    bool IsRunning() { return thread_ != nullptr && card_.IsPresent(); }
    CaptureEngine& Engine() { return engine_; }

private:
    // The program starts the card's real time before it looks for the card.
    static EmulatedCard& Started(EmulatedCard& card) {
        card.StartRealTime();
        return card;
    }
    static std::string Home(const char* name) { return QDir::home().filePath(name).toStdString(); }

    EmulatedCard emulated_;
    CaptureCard card_;
    RecorderFakeDialog dialog_;
    VideoSurface surface_;
    CaptureEngine engine_;
    ThreadRegistry registry_;
    FrameThread* thread_ = nullptr;
};

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(fraction * static_cast<double>(values.size()));
    return values[std::min(rank, values.size() - 1)];
}

TEST(EngineLockWaitTest, UserInterfaceOperationsRarelyWaitForTheFrameLoop) {
    LiveEngine live;
    ASSERT_TRUE(live.IsRunning());
    CaptureEngine& engine = live.Engine();
    const std::vector<std::function<void()>> operations = {
        [&] { engine.StepHAdjust(1); },   [&] { engine.StepHAdjust(-1); },
        [&] { engine.TuneToChannel(0); }, [&] { engine.StepVAdjust(1); },
        [&] { engine.StepVAdjust(-1); },  [&] { engine.GetCount(); },
        [&] { engine.IsRecording(); },    [&] { engine.GetOverlay()->Show(1); },
    };
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pause_us(0, kLongestPause_us);
    std::vector<double> waits_ms;
    const auto end = Clock::now() + kMeasuredTime;
    for (size_t k = 0; Clock::now() < end; ++k) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause_us(random)));
        const auto asked = Clock::now();
        SingleLock lock(engine.EngineLock());
        LockPumping(lock);
        waits_ms.push_back(Milliseconds(Clock::now() - asked).count());
        operations[k % operations.size()]();
    }
    if (!kTimesMeanSomething) {
        return;
    }
    ASSERT_GE(waits_ms.size(), 200u);
    const double median_ms = Percentile(waits_ms, 0.5);
    const double p99_ms = Percentile(waits_ms, 0.99);
    std::printf(
        "engine lock wait over %zu operations: median %.3f ms, p90 %.3f ms, p99 %.3f ms, "
        "max %.3f ms\n",
        waits_ms.size(), median_ms, Percentile(waits_ms, 0.9), p99_ms, Percentile(waits_ms, 1.0));
    EXPECT_LE(median_ms, kMedianWait_ms);
    EXPECT_LE(p99_ms, kWaitAt99thPercentile_ms);
}

}  // namespace
