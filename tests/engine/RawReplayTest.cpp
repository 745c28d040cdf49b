#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/RawCaptureWriter.h"
#include "support/EngineRig.h"

namespace {

constexpr int kFrames = 12;

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    double mse = sum / double(a.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct Recorded {
    std::vector<uint8_t> picture;
    int hAdjust_hz = 0;
};

// The rig runs emulated time as fast as the machine allows, far faster than a
// card's 25 frames a second, so an optimised build would outrun the writer's
// slots and have frames dropped. The capture waits for each frame to be
// written, as a real card's pace does.
void WaitUntilWritten(RawCaptureWriter& writer, uint32_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (writer.GetTotals().frames < frames && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Captures kFrames frames of the emulated camera into `folder`.
Recorded Record(const std::string& folder) {
    EngineRig rig(EngineRig::Window::None, 1000, "camera");
    rig.emulated.SetRateWalk(SourceTimebase::RateWalk::Off, 12);
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder, error);
    EXPECT_TRUE(writer) << error;
    if (!writer) {
        return {};
    }
    rig.Start(writer.get());
    for (int frame = 0; frame < kFrames; ++frame) {
        rig.RunToNextFrame();
        WaitUntilWritten(*writer, uint32_t(frame + 1));
    }
    Recorded recorded{rig.Picture(), rig.engine->GetHAdjust()};
    rig.Stop();
    EXPECT_TRUE(writer->Close(error)) << error;
    EXPECT_EQ(writer->GetTotals().frames, uint32_t(kFrames));
    EXPECT_EQ(writer->GetTotals().dropped, 0u);
    return recorded;
}

// A capture made on the emulated card and replayed as its signal shows the
// same picture: the bug-report path for a capture from a real card.
TEST(RawReplayTest, AReplayedCaptureShowsTheSamePicture) {
    QTemporaryDir folder;
    const std::string capture = folder.filePath("capture").toStdString();
    const Recorded recorded = Record(capture);
    ASSERT_FALSE(recorded.picture.empty());

    EngineRig replay(EngineRig::Window::None, 1000, "raw:" + capture);
    // Frame after frame of the capture, the first holding what the buffer had
    // before the chip's first field: the replay's last frame is the recorded
    // last one. The frames before it differ by the lock's wobble of a sample
    // or two.
    replay.emulated.SetMotion(SignalSynthesizer::Motion::Moving);
    replay.Start();
    EXPECT_EQ(replay.engine->GetHAdjust(), recorded.hAdjust_hz);
    for (int frame = 0; frame < kFrames; ++frame) {
        replay.RunToNextFrame();
    }
    EXPECT_GT(Psnr(replay.Picture(), recorded.picture), 30.0);
    EXPECT_NEAR(replay.LockEdge(), 32, 3);
}

}  // namespace
