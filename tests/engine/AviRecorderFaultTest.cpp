// The recorder against a disk that fills up for a while, paths that can't
// take a recording and a compressor that refuses its settings: the file stays
// whole, and what the user is told names the cause.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/AviRecorder.h"
#include "platform/AviCompressor.h"
#include "platform/AviOptionsFile.h"
#include "support/LimitedDisk.h"
#include "support/ManualClock.h"
#include "support/RecorderFakeDialog.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"
#include "support/RecorderTimeline.h"

namespace {

AviCompressionOptions Choose(uint32_t fourCC) {
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = fourCC;
    options.quality = 5000;
    options.flags = AviCompressionOptions::kFlagValid;
    return options;
}

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int LinesOf(const std::string& text) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        ++count;
    }
    return count;
}

class AviRecorderFaultTest : public ::testing::Test {
protected:
    AviRecorderFaultTest() : scopedClock_(clock_) { dialog_.choice = Choose(AviFourCC("DIB ")); }

    std::string Path(const char* name) const { return folder_.filePath(name).toStdString(); }

    // The picture numbers in the (closed) file, in file order.
    static std::vector<int> PicturesInFile(const std::string& path) {
        const QByteArray decoded = RecorderFileProbe::Decode(QString::fromStdString(path), "pal8");
        const size_t frameBytes = RecorderTestFrame::kPixelBytes + 1024;
        std::vector<int> pictures;
        for (size_t at = 0; at + frameBytes <= size_t(decoded.size()); at += frameBytes) {
            pictures.push_back(RecorderTestFrame::IndexOf(
                reinterpret_cast<const uint8_t*>(decoded.constData()) + at));
        }
        return pictures;
    }

    QTemporaryDir folder_;
    ManualClock clock_;
    ScopedClock scopedClock_;
    RecorderFakeDialog dialog_;
    AviRecorder recorder_{dialog_, folder_.filePath("quorvtv.avs").toStdString(), nullptr};
    RecorderTestFrame frame_;
};

// Three seconds of writing with the disk full during the second one, on a
// file system that reserves space ahead and on one that can't (where a write
// fails part-way). Every due slot is written or lost, the lost ones lie
// within the full second, the frames after it are at their own time, the
// failure is told once with its cause, and the file is finished.
TEST_F(AviRecorderFaultTest, ADiskFullForASecondLosesOnlyThatSecondsFrames) {
    for (const bool reservations : {true, false}) {
        SCOPED_TRACE(reservations ? "reservations" : "no reservations");
        LimitedDisk disk;
        disk.reservations = reservations;
        const std::string path = Path(reservations ? "reserved.avi" : "unreserved.avi");
        ASSERT_TRUE(recorder_.Open(path, frame_.Record()));
        recorder_.SetRecording(true);
        const uint32_t start_ms = clock_.TickCount();
        std::vector<std::pair<uint32_t, int>> arrived;
        testing::internal::CaptureStderr();
        for (int number = 0; number < 75; ++number) {
            const uint32_t at_ms = 40 * uint32_t(number);
            clock_.AdvanceMs(start_ms + at_ms - clock_.TickCount());
            if (at_ms == 1000) {
                disk.freeBytes = 0;
            } else if (at_ms == 2000) {
                disk.freeBytes = LimitedDisk::kPlenty;
            }
            frame_.Paint(number);
            recorder_.WriteFrame(frame_.Record());
            arrived.emplace_back(at_ms, number);
        }
        clock_.AdvanceMs(start_ms + 3000 - clock_.TickCount());
        recorder_.SetRecording(false);
        recorder_.Close();
        const std::string errors = testing::internal::GetCapturedStderr();
        const AviRecorder::ClosedFile file = recorder_.LastClosedFile();

        EXPECT_EQ(LinesOf(errors), 1) << errors;
        EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors;
        EXPECT_TRUE(file.finished) << file.problem;
        EXPECT_GT(file.framesLost, 0);
        EXPECT_EQ(file.framesWritten + file.framesLost, 60);
        const QString avi = QString::fromStdString(path);
        EXPECT_EQ(RecorderFileProbe::Probe(avi).packets, file.framesWritten);
        EXPECT_EQ(RecorderFileProbe::DeclaredFrames(avi), file.framesWritten);
        EXPECT_EQ(RecorderFileProbe::TrailingIndexEntries(avi), file.framesWritten);

        const std::vector<int> due = PicturesOfTheirTime(arrived, 60);
        std::vector<int> kept = PicturesInFile(path);
        ASSERT_EQ(static_cast<int>(kept.size()), file.framesWritten);
        const size_t gap =
            std::mismatch(kept.begin(), kept.end(), due.begin()).first - kept.begin();
        EXPECT_GE(gap, 20u);
        EXPECT_LE(gap + file.framesLost, 41u);
        kept.insert(kept.begin() + gap, due.begin() + gap, due.begin() + gap + file.framesLost);
        EXPECT_EQ(kept, due);
    }
}

// "can't record into …" says why, and a path that can't take a file is
// refused before the compression dialog, so the remembered compressor stays
// as it was.
TEST_F(AviRecorderFaultTest, AFailedOpenSaysWhyBeforeTheDialog) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("folder"));
    ASSERT_TRUE(QDir(folder_.path()).mkdir("locked"));
    ASSERT_EQ(::chmod(folder_.filePath("locked").toUtf8().constData(), 0555), 0);
    QFile plain(folder_.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    RecorderFakeDialog otherDialog;
    otherDialog.choice = Choose(AviFourCC("DIB "));
    AviRecorder other(otherDialog, Path("other.avs"), nullptr);
    ASSERT_TRUE(other.Open(Path("held.avi"), frame_.Record()));
    const std::string optionsPath = Path("quorvtv.avs");
    ASSERT_TRUE(AviOptionsFile::Save(optionsPath, Choose(AviFourCC("MJPG"))));
    const QByteArray remembered = ReadAll(optionsPath);
    struct Case {
        const char* what;
        std::string path;
        const char* problem;
        bool bindsRoot;
    };
    const Case cases[] = {
        {"a folder", Path("folder"), "it is a folder", true},
        {"a missing folder", Path("missing/clip.avi"), "its folder doesn't exist", true},
        {"a file as folder", Path("plain/clip.avi"), "a part of its folder is not a folder", true},
        {"a long name", Path("folder/") + std::string(NAME_MAX + 1, 'n'), "the name is too long",
         true},
        {"no write access", Path("locked/clip.avi"), "permission denied", false},
        {"another recording", Path("held.avi"), "another QuorvTV is recording into it", true},
    };
    for (const Case& c : cases) {
        if (!c.bindsRoot && ::geteuid() == 0) {
            continue;  // permission bits don't bind the superuser
        }
        dialog_.startingPoints.clear();
        EXPECT_FALSE(recorder_.Open(c.path, frame_.Record())) << c.what;
        EXPECT_EQ(recorder_.OpenProblem(), c.problem) << c.what;
        EXPECT_TRUE(dialog_.startingPoints.empty()) << c.what;
        EXPECT_EQ(ReadAll(optionsPath), remembered) << c.what;
    }
    dialog_.confirm = false;
    EXPECT_FALSE(recorder_.Open(Path("cancelled.avi"), frame_.Record()));
    EXPECT_EQ(recorder_.OpenProblem(), "");
    ::chmod(folder_.filePath("locked").toUtf8().constData(), 0755);
}

// A remembered data rate x264 refuses would fail every later recording the
// same way: the message names the compressor and the setting, and the way
// out.
TEST_F(AviRecorderFaultTest, ARefusedCompressorSettingIsNamedWithTheWayOut) {
    if (AviCompressor::Find(AviFourCC("H264")) == nullptr) {
        GTEST_SKIP() << "this FFmpeg has no libx264";
    }
    AviCompressionOptions refused = Choose(AviFourCC("H264"));
    refused.flags |= AviCompressionOptions::kFlagDataRate;
    refused.bytesPerSecond = 100;
    dialog_.choice = refused;

    EXPECT_FALSE(recorder_.Open(Path("refused.avi"), frame_.Record()));

    EXPECT_EQ(recorder_.OpenProblem(),
              "the compressor H.264 (x264) refuses its settings (data rate 100 bytes/s); choose "
              "again in the compression dialog or with --codec");
    EXPECT_FALSE(QFile::exists(folder_.filePath("refused.avi")));
}

}  // namespace
