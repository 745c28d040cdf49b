#include "engine/AviRecorder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <csignal>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"
#include "support/ManualClock.h"
#include "support/RecorderFakeDialog.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"

namespace {

constexpr int kArrivals = 5 * 25;  // five seconds of frames from the card
constexpr int kFramesDue = 100;    // five seconds at 20 frames per second

// Runs in the forked child: records five seconds of stepped time into `path`,
// reports on `report` and waits to be killed. Never returns.
[[noreturn]] void RecordUntilKilled(const std::string& path, uint32_t fourCC, int report) {
    ManualClock clock;
    ScopedClock scopedClock(clock);
    RecorderFakeDialog dialog;
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = fourCC;
    options.quality = 5000;
    dialog.choice = options;
    AviRecorder recorder(dialog, path + ".avs", nullptr);
    RecorderTestFrame frame;
    char status = recorder.Open(path, frame.Record()) ? 'r' : 'f';
    recorder.SetRecording(true);
    for (int arrival = 0; arrival < kArrivals && status == 'r'; ++arrival) {
        frame.Paint(arrival);
        recorder.WriteFrame(frame.Record());
        clock.AdvanceMs(40);
    }
    if (::write(report, &status, 1) != 1) {
        ::_exit(1);
    }
    for (;;) {
        ::pause();
    }
}

class AviRecorderCrashTest : public ::testing::TestWithParam<const AviCompressor*> {};

// Without a flush per frame, FFmpeg kept up to a quarter megabyte in memory
// and a short compressed recording ended up empty.
TEST_P(AviRecorderCrashTest, AKilledRecordingKeepsItsFrames) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("killed.avi").toStdString();
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        RecordUntilKilled(path, GetParam()->fourCC, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    char status = 0;
    const ssize_t got = ::read(pipeEnds[0], &status, 1);
    ::close(pipeEnds[0]);
    ::kill(child, SIGKILL);
    int waitStatus = 0;
    ::waitpid(child, &waitStatus, 0);

    ASSERT_EQ(got, 1);
    ASSERT_EQ(status, 'r');
    EXPECT_TRUE(WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == SIGKILL);
    const RecorderFileProbe::Result probe = RecorderFileProbe::Probe(QString::fromStdString(path));
    EXPECT_EQ(probe.videoStreams, 1);
    EXPECT_GE(probe.packets, kFramesDue - 1);
    EXPECT_LE(probe.packets, kFramesDue);
}

INSTANTIATE_TEST_SUITE_P(EveryCompressor, AviRecorderCrashTest,
                         ::testing::ValuesIn(AviCompressor::Available()), [](const auto& info) {
                             return std::string(info.param->encoderName ? info.param->encoderName
                                                                        : "raw");
                         });

}  // namespace
