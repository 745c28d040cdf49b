// Faults from outside the program, met by the whole engine on the emulated
// card: a disk that fills up during a recording, a program folder the
// program can't write to, a damaged channel file.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <fstream>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "app/NamedCompressorChoice.h"
#include "display/StatusOverlay.h"
#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "platform/DataPaths.h"
#include "platform/DiskSpaceService.h"
#include "platform/FileStamp.h"
#include "platform/VideoSurface.h"
#include "support/FakeMicrosecondClock.h"
#include "support/RecorderFileProbe.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

class FakeDisk : public DiskSpaceService {
public:
    FakeDisk() { SetDiskSpaceService(this); }
    ~FakeDisk() override { SetDiskSpaceService(nullptr); }
    std::optional<uint64_t> FreeBytes(const std::string&) override {
        return failing ? std::nullopt : std::optional<uint64_t>(free_bytes.load());
    }
    std::atomic<uint64_t> free_bytes{100 * kMiB};
    std::atomic<bool> failing{false};
};

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The emulated card stepped by a manual clock, the card object over it and an
// engine with a surface, so every frame also runs the status overlay.
class EngineRig {
public:
    EngineRig(const std::string& channelFile, const std::string& optionsFile)
        : choice_("mjpeg"), surface_({}, QPoint(5, 5)) {
        emulated_.FollowCurrentClock();
        card_.SetBoardLines(3);
        card_.SelectInput(2);
        engine_.emplace(&card_, &surface_, 5, 5,
                        CaptureEngine::Services{channelFile, &choice_, optionsFile,
                                                [this] { ++powerOffPosts; }});
    }

    CaptureEngine& Engine() { return *engine_; }

    // Runs the frame loop for `duration_ms` of emulated time (2 ms a step).
    void RunMs(int duration_ms) {
        for (int elapsed = 0; elapsed < duration_ms; elapsed += 2) {
            engine_->FrameStep();
        }
    }

    void Destroy() { engine_.reset(); }

    std::atomic<int> powerOffPosts{0};

private:
    // Busy waits of the I2C bus end after a few reads; the frame loop's
    // 2 ms sleeps step the card.
    FakeMicrosecondClock clock_;
    EmulatedCard emulated_;
    CaptureCard card_{emulated_.Ports(), emulated_.Driver()};
    NamedCompressorChoice choice_;
    VideoSurface surface_;
    std::optional<CaptureEngine> engine_;
};

class EngineFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
    std::string PathOf(const char* name) const { return folder_.filePath(name).toStdString(); }

    QTemporaryDir folder_;
};

}  // namespace

// Below 10 MiB free the overlay ends the recording: the file is closed with
// every frame written so far readable, and the power-off request goes out. A
// free-space query that fails, or exactly 10 MiB, never ends one.
TEST_F(EngineFaultTest, ANearlyFullDiskEndsTheRecordingWithAPlayableFile) {
    struct Case {
        const char* what;
        uint64_t free_bytes;
        bool queryFails;
        bool ends;
    };
    const Case cases[] = {
        {"just below 10 MiB", StatusOverlay::kLowDiskBytes - 1, false, true},
        {"exactly 10 MiB", StatusOverlay::kLowDiskBytes, false, false},
        {"failed query", 0, true, false},
    };
    for (const Case& c : cases) {
        FakeDisk disk;
        const std::string path = PathOf("fills.avi");
        EngineRig rig(PathOf("channels.cnl"), PathOf("options.avs"));
        CaptureEngine& engine = rig.Engine();
        ASSERT_TRUE(engine.Open(path, engine.GetFrameRecord()->Data())) << c.what;
        engine.SetRecording(true);
        rig.RunMs(2'000);
        const int framesBefore = engine.FramesWritten();
        ASSERT_GE(framesBefore, 30) << c.what;

        disk.free_bytes = c.free_bytes;
        disk.failing = c.queryFails;
        rig.RunMs(1'500);
        EXPECT_EQ(engine.IsOpen(), !c.ends) << c.what;
        EXPECT_EQ(rig.powerOffPosts.load(), c.ends ? 1 : 0) << c.what;
        if (!c.ends) {
            EXPECT_GT(engine.FramesWritten(), framesBefore) << c.what;
            engine.Close();
        }
        const RecorderFileProbe::Result probe =
            RecorderFileProbe::Probe(QString::fromStdString(path));
        EXPECT_EQ(probe.videoStreams, 1) << c.what;
        EXPECT_GE(probe.packets, framesBefore) << c.what;
        EXPECT_EQ(RecorderFileProbe::Decode(QString::fromStdString(path), "gray").size(),
                  probe.packets * VideoSurface::kWidth * VideoSurface::kHeight)
            << c.what;
    }
}

// The program's own folder can't take files: the channel list the engine
// saves at exit lands in the user's data folder, and the program folder stays
// as it was.
TEST_F(EngineFaultTest, AnUnusableProgramFolderKeepsChannelsInTheUserDataFolder) {
    const std::string appData =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    const std::string programFolder = PathOf("bin");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(programFolder)));
    const bool readOnlyBinds = ::geteuid() != 0;
    const std::string programs[] = {PathOf("missing") + "/quorvtv", programFolder + "/quorvtv"};
    for (const std::string& program : programs) {
        const bool readOnlyCase = program.rfind(programFolder, 0) == 0;
        if (readOnlyCase && !readOnlyBinds) {
            continue;  // permission bits don't bind the superuser
        }
        ASSERT_TRUE(QDir(QString::fromStdString(appData)).removeRecursively());
        ASSERT_EQ(::chmod(programFolder.c_str(), readOnlyCase ? 0555 : 0755), 0);
        const DataPaths paths(program);
        {
            EngineRig rig(paths.ChannelFile(), paths.OptionsFile());
            ASSERT_TRUE(rig.Engine().SetChannel(175'250'000, "Das Erste")) << program;
        }
        ::chmod(programFolder.c_str(), 0755);
        EXPECT_EQ(paths.ChannelFile(), appData + "/quorvtv.cnl") << program;
        EXPECT_NE(ReadAll(paths.ChannelFile()).find("Das Erste"), std::string::npos) << program;
        EXPECT_TRUE(QDir(QString::fromStdString(programFolder)).isEmpty()) << program;
        EXPECT_FALSE(QDir(QString::fromStdString(PathOf("missing"))).exists()) << program;
    }
}

// A channel file cut short, announcing far more lines than it holds, or
// holding noise: the engine starts with what it could read and leaves the
// file exactly as it found it, even after the list was changed.
TEST_F(EngineFaultTest, ADamagedChannelFileIsNeitherCrashedOnNorOverwritten) {
    const std::string twoLines =
        std::string("\x02\0\0\0", 4) + "\x0a" + "175.25\tOne" + "\x0a" + "183.25\tTwo";
    struct Case {
        const char* what;
        std::string bytes;
        int linesKept;
    };
    const Case cases[] = {
        {"cut short", twoLines.substr(0, twoLines.size() - 3), 1},
        {"count too large", std::string("\x09\0\0\0", 4) + twoLines.substr(4), 2},
        {"huge count", std::string("\xff\xff\xff\xff", 4) + twoLines.substr(4), 2},
        {"empty", "", 0},
        {"noise", std::string("\x03\0\0\0\xff\xfe\xff\xff\xff\xff\x7f\x01\x02", 13), 0},
        {"frequency beyond 32-bit hertz", twoLines.substr(0, 15) + "\x09" + "4295\tHuge", 1},
    };
    for (const Case& c : cases) {
        const std::string channelFile = PathOf("damaged.cnl");
        WriteAll(channelFile, c.bytes);
        EngineRig rig(channelFile, PathOf("options.avs"));
        EXPECT_FALSE(rig.Engine().ChannelFileLoadedCompletely()) << c.what;
        EXPECT_EQ(rig.Engine().GetCount(), c.linesKept) << c.what;
        rig.Engine().SetChannel(495'250'000, "Added");
        rig.Destroy();
        EXPECT_EQ(ReadAll(channelFile), c.bytes) << c.what;
    }
}

// A second copy of the program (here: a second store on the same file, as
// the Channels dialog of the panel) saves a channel while this engine runs.
// The engine's exit must not undo it: an unchanged list isn't written at all,
// and a changed one is merged into what the other copy saved.
TEST_F(EngineFaultTest, AnotherCopysChannelsSurviveThisEnginesExit) {
    struct Case {
        const char* what;
        bool otherCopySaves;
        bool engineChanges;
        int linesAfter;
    };
    const Case cases[] = {
        {"nothing changed", false, false, 5},
        {"the other copy added one", true, false, 6},
        {"both added one", true, true, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string channelFile = PathOf("shared.cnl");
        {
            ChannelStore first(channelFile);
            for (uint32_t frequency : {175, 183, 471, 495, 503}) {
                first.SetChannel(frequency, "Stored");
            }
            ASSERT_TRUE(first.Save());
        }
        EngineRig rig(channelFile, PathOf("options.avs"));
        ASSERT_EQ(rig.Engine().GetCount(), 5);
        if (c.otherCopySaves) {
            ChannelStore panel(channelFile);
            ASSERT_TRUE(panel.Load());
            panel.SetChannel(600, "Added by the panel");
            ASSERT_TRUE(panel.Save());
        }
        if (c.engineChanges) {
            rig.Engine().SetChannel(700, "Added here");
        }
        const std::optional<FileStamp> beforeExit = FileStamp::Of(channelFile);

        rig.Destroy();

        ChannelStore after(channelFile);
        ASSERT_TRUE(after.Load());
        EXPECT_EQ(after.GetCount(), c.linesAfter);
        EXPECT_EQ(after.FindChannel(600), c.otherCopySaves ? 5 : -1);
        if (!c.engineChanges) {
            EXPECT_TRUE(FileStamp::Of(channelFile) == beforeExit);
        }
    }
}
