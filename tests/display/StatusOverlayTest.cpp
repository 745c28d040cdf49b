#include "display/StatusOverlay.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <optional>

#include "display/RecordingSchedule.h"
#include "platform/DeviceContext.h"
#include "platform/DiskSpaceService.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"
#include "support/EngineRig.h"

namespace {

const std::string kTitle = "QuorvTV CCD+VCR (Build 1762, Oct 24 1999)\n";

class FakeDiskSpace : public DiskSpaceService {
public:
    explicit FakeDiskSpace(std::optional<uint64_t> free) : free_(free) {
        SetDiskSpaceService(this);
    }
    ~FakeDiskSpace() override { SetDiskSpaceService(nullptr); }
    std::optional<uint64_t> FreeBytes(const std::string&) override { return free_; }

private:
    std::optional<uint64_t> free_;
};

// An engine whose overlay is drawn by hand into an image, with the clock
// stepped between draws.
class OverlayRig : public EngineRig {
public:
    explicit OverlayRig(uint32_t startTick_ms = 1000)
        : EngineRig(Window::None, startTick_ms), image(400, 320, QImage::Format_RGB32) {
        Start(Tuning::None);
    }
    StatusOverlay& Overlay() { return *engine->GetOverlay(); }
    void DrawAt(uint32_t sinceStart_ms) {
        clock.AdvanceMs(sinceStart_ms - elapsed_ms_);
        elapsed_ms_ = sinceStart_ms;
        image.fill(Qt::black);
        DeviceContext dc(image);
        // As on the frame thread: the engine lock is taken before the overlay's.
        SingleLock lock(engine->EngineLock());
        LockPumping(lock);
        Overlay().Draw(dc, engine->GetVideoRect());
    }
    int GreenPixels() const {
        int green = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                green += image.pixel(x, y) == qRgb(0, 255, 0);
            }
        }
        return green;
    }
    void Record(bool writing) {
        ASSERT_TRUE(engine->Open(Path("take 1.avi"), engine->GetFrameRecord()->Data()));
        engine->SetRecording(writing);
    }
    void ArmSchedule(int64_t startFromNow_s) {
        RecordingSchedule* schedule = engine->GetSchedule();
        schedule->SetStart(clock.CalendarSeconds() + startFromNow_s);
        schedule->SetDurationMinutes(10);
        schedule->SetArmed(true);
    }
    void TuneToStation(int station) {
        engine->GetCard()->Tune(static_cast<int>(emulated.StationCarrier_hz(station)));
    }
    uint32_t StationMhz(int station) {
        return static_cast<uint32_t>(emulated.StationCarrier_hz(station) / 1'000'000);
    }

    QImage image;

private:
    uint32_t elapsed_ms_ = 0;
};

// "{0}" and "{1}" in the expected text stand for the megahertz of the
// first and second station.
TEST(StatusOverlayTest, TextLinesFollowTheTunerTheRecorderAndTheSchedule) {
    FakeDiskSpace disk(2'147'483'647);
    struct Case {
        const char* name;
        std::function<void(OverlayRig&)> set;
        std::string expected;  // after the title line
    };
    const Case cases[] = {
        {"idle", [](OverlayRig&) {}, "1 Fps / 0 Mhz"},
        {"tuned, not stored", [](OverlayRig& rig) { rig.TuneToStation(0); }, "1 Fps / {0} Mhz"},
        {"tuned and stored",
         [](OverlayRig& rig) {
             rig.TuneToStation(0);
             rig.engine->SetChannel(rig.StationMhz(0), "Studio");
         },
         "1 Fps / {0} Mhz (Studio)"},
        {"stored, tuned elsewhere",
         [](OverlayRig& rig) {
             rig.TuneToStation(1);
             rig.engine->SetChannel(rig.StationMhz(0), "Studio");
         },
         "1 Fps / {1} Mhz"},
        {"recording", [](OverlayRig& rig) { rig.Record(true); },
         "1 Fps / 0 Mhz\ntake 1.avi / DF: 2,147,483,647"},
        {"paused", [](OverlayRig& rig) { rig.Record(false); }, "1 Fps / 0 Mhz\ntake 1.avi"},
        {"waiting", [](OverlayRig& rig) { rig.ArmSchedule(3600); },
         "1 Fps / 0 Mhz\nWaiting 01:00:00"},
        {"timed recording",
         [](OverlayRig& rig) {
             rig.ArmSchedule(-60);
             rig.Record(true);
         },
         "1 Fps / 0 Mhz\ntake 1.avi / DF: 2,147,483,647\nRec 00:09:00"},
    };
    for (const Case& c : cases) {
        OverlayRig rig;
        c.set(rig);
        rig.DrawAt(0);
        std::string expected = c.expected;
        for (int station : {0, 1}) {
            const std::string mark = "{" + std::to_string(station) + "}";
            if (const size_t at = expected.find(mark); at != std::string::npos) {
                expected.replace(at, mark.size(), std::to_string(rig.StationMhz(station)));
            }
        }
        EXPECT_EQ(rig.Overlay().Text(), kTitle + expected) << c.name;
    }
}

TEST(StatusOverlayTest, FourGibibytesOrMoreReadAsTheLargest32BitValue) {
    FakeDiskSpace disk(uint64_t{5} << 30);
    OverlayRig rig;
    rig.Record(true);
    rig.DrawAt(0);
    EXPECT_EQ(rig.Overlay().Text(), kTitle + "1 Fps / 0 Mhz\ntake 1.avi / DF: 4,294,967,295");
    EXPECT_TRUE(rig.engine->IsRecording());
}

// The first draw rebuilds at once; later ones once a full second has passed,
// reporting the draws since the previous rebuild. The text shows for 2.5 s
// after construction or Show(1), and is drawn once more on the frame that
// finds the deadline passed. The same holds across the 32-bit tick wrap.
TEST(StatusOverlayTest, RebuildAndVisibilityTimingSurviveTheTickWrap) {
    for (uint32_t start_ms : {1000u, 0xFFFF'FFFFu - 500}) {
        OverlayRig rig(start_ms);
        StatusOverlay& overlay = rig.Overlay();
        EXPECT_EQ(overlay.Text(), "");
        rig.DrawAt(0);
        EXPECT_EQ(overlay.Text(), kTitle + "1 Fps / 0 Mhz") << start_ms;
        rig.DrawAt(400);
        rig.DrawAt(999);
        EXPECT_EQ(overlay.Text(), kTitle + "1 Fps / 0 Mhz") << start_ms;
        rig.DrawAt(1000);
        EXPECT_EQ(overlay.Text(), kTitle + "3 Fps / 0 Mhz") << start_ms;

        rig.DrawAt(2500);
        EXPECT_TRUE(overlay.IsTextVisible()) << start_ms;
        rig.DrawAt(2501);
        EXPECT_GT(rig.GreenPixels(), 50) << start_ms;
        EXPECT_FALSE(overlay.IsTextVisible()) << start_ms;
        rig.DrawAt(2600);
        EXPECT_EQ(rig.GreenPixels(), 0) << start_ms;

        rig.DrawAt(3000);
        overlay.Show(1);
        rig.DrawAt(5500);
        EXPECT_TRUE(overlay.IsTextVisible()) << start_ms;
        EXPECT_GT(rig.GreenPixels(), 50) << start_ms;
        rig.DrawAt(5501);
        EXPECT_FALSE(overlay.IsTextVisible()) << start_ms;
        overlay.Show(1);
        overlay.Show(0);
        rig.DrawAt(5502);
        EXPECT_EQ(rig.GreenPixels(), 0) << start_ms;
    }
}

// Writing stops, power-off is chosen, the schedule is disarmed, the file is
// closed and one power-off request is posted: only on a real reading below
// 10 MiB, never on a failed query.
TEST(StatusOverlayTest, LowDiskEndsTheRecordingAndAsksForPowerOffOnce) {
    struct Case {
        std::optional<uint64_t> free;
        bool reaction;
        std::string fileLine;
    };
    const Case cases[] = {
        {10'485'760, false, "\ntake 1.avi / DF: 10,485,760"},
        {10'485'759, true, ""},
        {std::nullopt, false, "\ntake 1.avi"},
    };
    for (const Case& c : cases) {
        FakeDiskSpace disk(c.free);
        OverlayRig rig;
        rig.ArmSchedule(-60);
        rig.Record(true);
        rig.DrawAt(0);
        rig.DrawAt(1000);
        const std::string label = c.free ? std::to_string(*c.free) : "failed query";
        EXPECT_EQ(rig.engine->IsRecording(), !c.reaction) << label;
        EXPECT_EQ(rig.engine->IsOpen(), !c.reaction) << label;
        EXPECT_EQ(rig.engine->GetPowerOffAfter(), c.reaction) << label;
        EXPECT_EQ(rig.engine->GetSchedule()->IsArmed(), !c.reaction) << label;
        EXPECT_EQ(rig.powerOffPosts, c.reaction ? 1 : 0) << label;
        const std::string schedule = c.reaction ? "" : "\nRec 00:08:59";
        EXPECT_EQ(rig.Overlay().Text(), kTitle + "1 Fps / 0 Mhz" + c.fileLine + schedule) << label;
    }
}

}  // namespace
