#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "emulator/VideoFileSource.h"
#include "support/EmulatorCaptureRig.h"

using namespace ChipRegisters;

namespace {

// Ten frames of FFmpeg's moving test pattern, written into `folder`.
std::string MakeTestVideo(const QTemporaryDir& folder) {
    std::string path = folder.filePath("pattern.mkv").toStdString();
    std::string command =
        "ffmpeg -v error -nostdin -f lavfi -i testsrc=size=176x144:rate=25 -frames:v 10 "
        "-c:v ffv1 '" +
        path + "'";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

TEST(VideoFileSourceTest, PlaysTheFileOnTheTunerInput) {
    QTemporaryDir folder;
    std::string path = MakeTestVideo(folder);
    if (path.empty()) {
        GTEST_SKIP() << "ffmpeg is not available";
    }
    EXPECT_EQ(VideoFileSource(path).FrameCount(), 10u);

    EmulatedCard card("video:" + path);
    card.SetRateWalk(SourceTimebase::RateWalk::Off);
    EmulatorCaptureRig rig(card);
    rig.StartEngineCapture();
    uint32_t present = kDstatusPres | kDstatusHloc;
    EXPECT_EQ(rig.Read(kDstatus) & present, present);
    EXPECT_EQ(rig.LockIndex(), 32);
    std::vector<uint8_t> first(rig.Capture(), rig.Capture() + EmulatorCaptureRig::kFilled);
    const uint8_t* middle = rig.Capture() + 13'548 + 2'268 * 144;  // picture line 144
    EXPECT_NE(std::memcmp(middle + 200, middle + 1'000, 400), 0);  // not a flat picture
    rig.NextEvenField();
    EXPECT_NE(std::memcmp(first.data(), rig.Capture(), first.size()), 0);  // it moves
}

TEST(VideoFileSourceTest, UnusableFilesAreReported) {
    EXPECT_THROW(EmulatedCard("video:/nonexistent/file.mkv"), std::runtime_error);
    EXPECT_THROW(EmulatedCard("camera,video:"), std::invalid_argument);
    QTemporaryDir folder;
    QFile text(folder.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a video\n");
    text.close();
    EXPECT_THROW(EmulatedCard("video:" + folder.filePath("notes.txt").toStdString()),
                 std::runtime_error);
}

// Every failure is one line naming the cause; FFmpeg adds nothing of its own
// (a format detected with a low score was a second line).
TEST(VideoFileSourceTest, AnUnusableFileIsOneLineNamingTheCause) {
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    QFile(folder.filePath("empty.avi")).open(QIODevice::WriteOnly);
    QFile garbage(folder.filePath("garbage.avi"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("RIFF but not a video\n");
    garbage.close();
    const std::pair<std::string, const char*> cases[] = {
        {root + "/missing.avi", "No such file or directory"},
        {root, "Is a directory"},
        {root + "/empty.avi", "cannot be opened"},
        {root + "/garbage.avi", "cannot be opened"},
    };
    for (const auto& [path, cause] : cases) {
        testing::internal::CaptureStderr();
        std::string message;
        try {
            VideoFileSource source(path);
        } catch (const std::runtime_error& error) {
            message = error.what();
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << path;
        EXPECT_NE(message.find(cause), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

}  // namespace
