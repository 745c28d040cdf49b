#include "engine/AviRecorder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"
#include "platform/AviOptionsFile.h"
#include "platform/Mutex.h"
#include "platform/SingleLock.h"
#include "support/ManualClock.h"
#include "support/RecorderFakeDialog.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"
#include "support/RecorderTimeline.h"
#include "support/RecordingWarningBox.h"
#include "support/ScopedFileSizeLimit.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteEarlierRecording(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("an earlier recording");
    }
}

AviCompressionOptions Choose(uint32_t fourCC) {
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = fourCC;
    options.quality = 5000;
    options.flags = AviCompressionOptions::kFlagValid;
    return options;
}

class AviRecorderTest : public ::testing::Test {
protected:
    AviRecorderTest() : scopedClock_(clock_) { dialog_.choice = Choose(AviFourCC("DIB ")); }

    std::string Path(const char* name) const { return folder_.filePath(name).toStdString(); }

    // Offers frames 40 ms apart, as the card delivers them; painted with
    // their arrival number.
    void Arrive(int count) {
        for (int arrival = 0; arrival < count; ++arrival) {
            frame_.Paint(arrivals_++);
            recorder_.WriteFrame(frame_.Record());
            clock_.AdvanceMs(40);
        }
    }

    // The arrival numbers of the frames in the (closed) file, in file order.
    std::vector<int> ArrivalsInFile(const std::string& path) {
        const QByteArray decoded = RecorderFileProbe::Decode(QString::fromStdString(path), "pal8");
        const size_t frameBytes = RecorderTestFrame::kPixelBytes + 1024;
        std::vector<int> arrivals;
        for (size_t at = 0; at + frameBytes <= size_t(decoded.size()); at += frameBytes) {
            arrivals.push_back(RecorderTestFrame::IndexOf(
                reinterpret_cast<const uint8_t*>(decoded.constData()) + at));
        }
        return arrivals;
    }

    // Offers frames 40 ms apart from writing's start up to `end_ms`, leaving
    // out those in (`gapFrom_ms`, `gapTo_ms`); `during` runs before each one.
    // Returns what arrived when, for PicturesOfTheirTime.
    std::vector<std::pair<uint32_t, int>> ArriveUntil(
        uint32_t end_ms, uint32_t gapFrom_ms = 0, uint32_t gapTo_ms = 0,
        const std::function<void(uint32_t)>& during = {}) {
        const uint32_t start_ms = clock_.TickCount();
        std::vector<std::pair<uint32_t, int>> arrived;
        for (int number = 0; 40 * uint32_t(number) < end_ms; ++number) {
            const uint32_t at_ms = 40 * uint32_t(number);
            if (at_ms > gapFrom_ms && at_ms < gapTo_ms) {
                continue;
            }
            clock_.AdvanceMs(start_ms + at_ms - clock_.TickCount());
            if (during) {
                during(at_ms);
            }
            frame_.Paint(number);
            recorder_.WriteFrame(frame_.Record());
            arrived.emplace_back(at_ms, number);
        }
        clock_.AdvanceMs(start_ms + end_ms - clock_.TickCount());
        return arrived;
    }

    void ExpectIdle(const std::string& path) {
        EXPECT_FALSE(recorder_.IsOpen());
        EXPECT_FALSE(recorder_.IsRecording());
        EXPECT_EQ(recorder_.GetPath(), "");
        EXPECT_EQ(RecorderFileProbe::OpenDescriptors(QString::fromStdString(path)), 0);
        EXPECT_TRUE(warnings_.Messages().empty());
    }

    QTemporaryDir folder_;
    ManualClock clock_;
    ScopedClock scopedClock_;
    RecordingWarningBox warnings_;
    RecorderFakeDialog dialog_;
    int powerOffRequests_ = 0;
    AviRecorder recorder_{dialog_, folder_.filePath("quorvtv.avs").toStdString(),
                          [this] { ++powerOffRequests_; }};
    RecorderTestFrame frame_;
    int arrivals_ = 0;
};

TEST_F(AviRecorderTest, StatesFollowOpenRecordPauseAndClose) {
    enum class Step { Open, RecordOn, RecordOff, Close };
    struct Row {
        Step step;
        bool open;
        bool recording;
    };
    const Row table[] = {
        {Step::RecordOn, false, false},  // nothing to write into: stays Idle
        {Step::Open, true, false},      {Step::RecordOn, true, true},
        {Step::RecordOff, true, false}, {Step::RecordOn, true, true},
        {Step::Open, true, false},  // a new file starts Paused
        {Step::RecordOn, true, true},   {Step::Close, false, false},
        {Step::Close, false, false},
    };
    const std::string path = Path("states.avi");
    for (const Row& row : table) {
        SCOPED_TRACE(static_cast<int>(&row - table));
        switch (row.step) {
            case Step::Open:
                EXPECT_TRUE(recorder_.Open(path, frame_.Record()));
                break;
            case Step::RecordOn:
                recorder_.SetRecording(true);
                break;
            case Step::RecordOff:
                recorder_.SetRecording(false);
                break;
            case Step::Close:
                EXPECT_TRUE(recorder_.Close());
                break;
        }
        EXPECT_EQ(recorder_.IsOpen(), row.open);
        EXPECT_EQ(recorder_.IsRecording(), row.recording);
        EXPECT_EQ(recorder_.GetPath(), row.open ? path : "");
        EXPECT_EQ(recorder_.WriteFrame(frame_.Record()), row.recording);
    }
    EXPECT_TRUE(recorder_.IsAvailable());
    EXPECT_TRUE(warnings_.Messages().empty());
}

// Files already at the path are earlier recordings: they stay as they were
// unless a new recording really replaces them.
TEST_F(AviRecorderTest, FailedOpensLeaveTheRecorderIdleAndSilent) {
    QFile plainFile(folder_.filePath("plain"));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    struct Case {
        const char* what;
        std::string path;
        bool existing;
        bool confirm;
        uint32_t fourCC;
        int dialogRuns;
    };
    const Case cases[] = {
        {"folder is a file", Path("plain/clip.avi"), false, true, AviFourCC("DIB "), 0},
        {"missing folder", Path("missing/clip.avi"), false, true, AviFourCC("DIB "), 0},
        {"dialog cancelled", Path("cancelled.avi"), true, false, AviFourCC("DIB "), 1},
        {"compressor fails to open", Path("refused.avi"), true, true, AviFourCC("XVID"), 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const QString path = QString::fromStdString(test.path);
        if (test.existing) {
            WriteEarlierRecording(path);
        }
        ASSERT_TRUE(recorder_.Open(Path("previous.avi"), frame_.Record()));
        recorder_.SetRecording(true);
        dialog_.startingPoints.clear();
        dialog_.confirm = test.confirm;
        dialog_.choice = Choose(test.fourCC);

        EXPECT_FALSE(recorder_.Open(test.path, frame_.Record()));

        ExpectIdle(test.path);
        EXPECT_EQ(RecorderFileProbe::OpenDescriptors(folder_.filePath("previous.avi")), 0);
        EXPECT_EQ(static_cast<int>(dialog_.startingPoints.size()), test.dialogRuns);
        EXPECT_EQ(ReadAll(path), test.existing ? "an earlier recording" : "");
        dialog_.confirm = true;
        dialog_.choice = Choose(AviFourCC("DIB "));
    }
}

// The header can't be written (the file-size limit stands in for a full
// disk): the file this call created goes again.
TEST_F(AviRecorderTest, AFileWhoseHeaderFailsIsRemoved) {
    const QString path = folder_.filePath("no-room.avi");
    WriteEarlierRecording(path);
    {
        ScopedFileSizeLimit limit(100);
        EXPECT_FALSE(recorder_.Open(path.toStdString(), frame_.Record()));
    }
    ExpectIdle(path.toStdString());
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(recorder_.Open(path.toStdString(), frame_.Record()));
    recorder_.Close();
    EXPECT_EQ(RecorderFileProbe::Probe(path).videoStreams, 1);
}

// The dialog starts from the stored record; the confirmed choice is stored
// before the compressor is set up, so even a failing one is remembered.
TEST_F(AviRecorderTest, TheOptionsFileFeedsTheDialogAndKeepsItsAnswer) {
    const std::string optionsPath = folder_.filePath("quorvtv.avs").toStdString();
    AviCompressionOptions stored = Choose(AviFourCC("MJPG"));
    stored.keyFrameEvery = 12;
    stored.bytesPerSecond = 300'000;
    stored.flags = AviCompressionOptions::kFlagDataRate;
    ASSERT_TRUE(AviOptionsFile::Save(optionsPath, stored));
    dialog_.choice.reset();

    ASSERT_TRUE(recorder_.Open(Path("first.avi"), frame_.Record()));
    ASSERT_EQ(dialog_.startingPoints.size(), 1u);
    AviCompressionOptions expectedStart = stored;
    expectedStart.flags |= AviCompressionOptions::kFlagValid;
    EXPECT_EQ(dialog_.startingPoints[0], expectedStart);

    dialog_.choice = Choose(AviFourCC("XVID"));
    EXPECT_FALSE(recorder_.Open(Path("second.avi"), frame_.Record()));
    QFile file(QString::fromStdString(optionsPath));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto bytes = Choose(AviFourCC("XVID")).ToBytes();
    EXPECT_EQ(file.readAll(), QByteArray(reinterpret_cast<const char*>(bytes.data()), 44));
}

// The dialog's event loop runs the panel's timer, which takes the overlay's
// lock: the recorder must not hold its own, ranked after it, around the dialog
// (the lock-order check aborts the test build if it does).
TEST_F(AviRecorderTest, TheCompressionDialogRunsWithoutTheRecordersLock) {
    Mutex overlay("overlay", LockRank::kOverlay);
    dialog_.whileShown = [&] {
        SingleLock lock(overlay);
        EXPECT_TRUE(lock.Lock(1000));
    };
    EXPECT_TRUE(recorder_.Open(Path("take.avi"), frame_.Record()));
    EXPECT_TRUE(recorder_.IsOpen());
}

// 25 frames a second for a minute make a one-minute file of 20 frames a
// second: frames are picked by the clock, not dropped by a fixed spacing.
TEST_F(AviRecorderTest, AMinuteOfFramesPlaysForAMinute) {
    const std::string path = Path("minute.avi");
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    recorder_.SetRecording(true);
    Arrive(60 * 25);
    recorder_.Close();

    const RecorderFileProbe::Result probe = RecorderFileProbe::Probe(QString::fromStdString(path));
    EXPECT_NEAR(probe.packets, 1200, 1);
    EXPECT_NEAR(probe.duration_s, 60.0, 0.05);
}

TEST_F(AviRecorderTest, WritingStartsAtOnceAndAPauseLeavesNoGap) {
    const std::string path = Path("paused.avi");
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    Arrive(3);  // Paused: nothing written
    recorder_.SetRecording(true);
    Arrive(10);  // arrivals 3 … 12 over 400 ms: 8 frames due
    recorder_.SetRecording(false);
    Arrive(25);  // a second of pause
    recorder_.SetRecording(true);
    Arrive(5);  // arrivals 38 … 42 over 200 ms: 4 frames due
    recorder_.Close();

    const std::vector<int> arrivals = ArrivalsInFile(path);
    ASSERT_EQ(arrivals.size(), 12u);
    EXPECT_EQ(arrivals.front(), 3);
    EXPECT_EQ(arrivals[7], 12);
    EXPECT_EQ(arrivals[8], 38);
    EXPECT_TRUE(std::is_sorted(arrivals.begin(), arrivals.end()));
}

// The file system refuses the frame (here: the file-size limit). The failure
// is marked for the overlay; the file stays open and writing stays on.
TEST_F(AviRecorderTest, ARefusedFrameIsMarkedAsAWriteError) {
    const std::string path = Path("refused-frame.avi");
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    recorder_.SetRecording(true);
    Arrive(2);
    EXPECT_FALSE(recorder_.HasWriteError());

    bool written = true;
    {
        ScopedFileSizeLimit limit(QFileInfo(QString::fromStdString(path)).size() + 1000);
        clock_.AdvanceMs(100);
        written = recorder_.WriteFrame(frame_.Record());
    }

    EXPECT_FALSE(written);
    EXPECT_TRUE(recorder_.HasWriteError());
    EXPECT_TRUE(recorder_.IsOpen());
    EXPECT_TRUE(recorder_.IsRecording());
    EXPECT_TRUE(recorder_.Close());
    EXPECT_FALSE(recorder_.HasWriteError());
    EXPECT_TRUE(warnings_.Messages().empty());
}

// The request only posts: the main window decides, on its own thread.
TEST_F(AviRecorderTest, RequestPowerOffPostsOnceWhateverTheFlag) {
    EXPECT_TRUE(recorder_.RequestPowerOff());
    EXPECT_EQ(powerOffRequests_, 1);
    EXPECT_FALSE(recorder_.GetPowerOffAfter());
}

// The frame loop stalls for two seconds: the slots due meanwhile repeat the
// last picture, and afterwards each frame is again the picture of its own
// time, not one that arrived late; frames never go in ahead of time.
TEST_F(AviRecorderTest, AfterAStallFrameKIsStillThePictureOfTimeKOverTwenty) {
    const std::string path = Path("stall.avi");
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    recorder_.SetRecording(true);
    const auto arrived = ArriveUntil(4000, 1000, 3000);
    recorder_.SetRecording(false);
    EXPECT_EQ(recorder_.FramesWritten(), 80);
    recorder_.Close();

    EXPECT_EQ(ArrivalsInFile(path), PicturesOfTheirTime(arrived, 80));
}

// The file system refuses the frames for a second (a file-size limit stands in
// for a full disk): those frames are lost, the ones after it are written at
// their own time, and the file is finished with its index and frame count.
TEST_F(AviRecorderTest, AFileSizeLimitForAMomentCostsOnlyThatMomentsFrames) {
    const std::string path = Path("limited.avi");
    const QString file = QString::fromStdString(path);
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    recorder_.SetRecording(true);
    std::optional<ScopedFileSizeLimit> limit;
    const auto arrived = ArriveUntil(3000, 0, 0, [&](uint32_t at_ms) {
        if (at_ms == 1000) {
            limit.emplace(QFileInfo(file).size() + 1000);
        } else if (at_ms == 2000) {
            limit.reset();
        }
    });
    recorder_.SetRecording(false);
    const int written = recorder_.FramesWritten();
    recorder_.Close();

    EXPECT_GE(written, 40);
    EXPECT_LE(written, 41);
    const std::vector<int> inFile = ArrivalsInFile(path);
    ASSERT_EQ(static_cast<int>(inFile.size()), written);
    const std::vector<int> due = PicturesOfTheirTime(arrived, 60);
    EXPECT_EQ(std::vector<int>(inFile.begin(), inFile.begin() + 20),
              std::vector<int>(due.begin(), due.begin() + 20));
    EXPECT_EQ(std::vector<int>(inFile.end() - 20, inFile.end()),
              std::vector<int>(due.end() - 20, due.end()));
    EXPECT_EQ(RecorderFileProbe::DeclaredFrames(file), written);
    EXPECT_EQ(RecorderFileProbe::TrailingIndexEntries(file), written);
    EXPECT_EQ(RecorderFileProbe::Probe(file).packets, written);
}

// A second recorder (another QuorvTV, as far as the file is concerned) must
// not take over a file a recording holds: it is refused before its dialog,
// and the first recording goes on unharmed.
TEST_F(AviRecorderTest, ASecondRecordingIntoTheSameFileIsRefused) {
    RecorderFakeDialog secondDialog;
    secondDialog.choice = Choose(AviFourCC("DIB "));
    AviRecorder second(secondDialog, Path("second.avs"), nullptr);
    const std::string path = Path("shared.avi");
    ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
    recorder_.SetRecording(true);
    Arrive(10);

    EXPECT_FALSE(second.Open(path, frame_.Record()));

    EXPECT_TRUE(secondDialog.startingPoints.empty());
    EXPECT_FALSE(second.IsOpen());
    Arrive(10);
    const int written = recorder_.FramesWritten();
    recorder_.Close();
    EXPECT_EQ(RecorderFileProbe::Probe(QString::fromStdString(path)).packets, written);
    EXPECT_TRUE(second.Open(path, frame_.Record()));
}

}  // namespace
