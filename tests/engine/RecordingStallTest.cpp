// The frame loop stalls while the emulated card goes on (the thread was not
// scheduled, the machine was busy): the recording must keep file time equal
// to wall time.
#include <QString>

#include <gtest/gtest.h>

#include "support/EngineRig.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTimeline.h"

namespace {

constexpr size_t kPictureBytes = FrameRecord::kPixelsSize_bytes;

// The moving test picture, recorded uncompressed for four seconds with the
// frame loop stopped from 1 s to 3 s. Each picture the loop took is noted with
// its time; frame k of the file must be the picture of time k/20 s: the one
// taken in [k × 50 ms, (k + 1) × 50 ms), or, in the stall, the last one taken
// before it.
TEST(RecordingStallTest, AfterAStallFrameKIsThePictureOfTimeKOverTwenty) {
    EngineRig rig;
    rig.emulated.SetMotion(SignalSynthesizer::Motion::Moving);
    CaptureEngine& engine = rig.Start();
    rig.RunFrames(5);
    const std::string path = rig.Path("stalled.avi");
    ASSERT_TRUE(engine.Open(path, engine.GetFrameRecord()->Data()));
    engine.SetRecording(true);
    const uint32_t start_ms = rig.clock.TickCount();
    std::vector<std::vector<uint8_t>> taken;
    std::vector<std::pair<uint32_t, int>> arrived;
    bool stalled = false;
    for (uint32_t now_ms = 0; now_ms < 4000; now_ms = rig.clock.TickCount() - start_ms) {
        if (now_ms >= 1000 && !stalled) {
            rig.clock.AdvanceMs(2000);
            stalled = true;
            continue;
        }
        if (rig.RunPass()) {
            arrived.emplace_back(now_ms, static_cast<int>(taken.size()));
            taken.push_back(rig.Picture());
        }
    }
    engine.SetRecording(false);
    const int written = engine.FramesWritten();
    ASSERT_TRUE(engine.Close());

    EXPECT_EQ(written, 80);
    const QByteArray frames = RecorderFileProbe::Decode(QString::fromStdString(path), "pal8");
    const size_t frameBytes = kPictureBytes + 1024;
    ASSERT_EQ(static_cast<size_t>(frames.size()), written * frameBytes);
    const std::vector<int> due = PicturesOfTheirTime(arrived, written);
    for (int k = 0; k < written; ++k) {
        ASSERT_GE(due[k], 0) << k;
        const auto* picture = reinterpret_cast<const uint8_t*>(frames.constData()) + k * frameBytes;
        EXPECT_TRUE(std::equal(picture, picture + kPictureBytes, taken[due[k]].begin()))
            << "frame " << k << " is not picture " << due[k];
    }
}

}  // namespace
