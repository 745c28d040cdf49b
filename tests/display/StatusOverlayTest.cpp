#include "display/StatusOverlay.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include <functional>
#include <optional>

#include "display/RecordingSchedule.h"
#include "platform/DeviceContext.h"
#include "platform/DiskSpaceService.h"
#include "platform/FontMap.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"
#include "support/EngineRig.h"
#include "support/ScopedFileSizeLimit.h"

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
    void Record(bool writing, const char* name = "take 1.avi") {
        ASSERT_TRUE(engine->Open(Path(name), engine->GetFrameRecord()->Data()));
        engine->SetRecording(writing);
    }
    // The composed text in UTF-8.
    std::string Text() { return Overlay().Text().toStdString(); }
    QRgb Pixel(int x, int y) const { return image.pixel(x, y); }
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

    uint32_t Elapsed_ms() const { return elapsed_ms_; }

    QImage image;

private:
    uint32_t elapsed_ms_ = 0;
};

// The recording symbol's cell: one 16-pixel glyph at the top right of the
// video rectangle (5, 5)-(365, 293) shrunk by 5 pixels on every side.
const QRect kSymbolCell(344, 10, 16, 16);
const QRgb kDarkRed = qRgb(100, 0, 0);
const QRgb kBrightRed = qRgb(255, 0, 0);

// The smallest rectangle holding every pixel that isn't black.
QRect PaintedArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(0, 0, 0)) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

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
        {"idle", [](OverlayRig&) {}, "-- Fps / 0 Mhz"},
        {"tuned, not stored", [](OverlayRig& rig) { rig.TuneToStation(0); }, "-- Fps / {0} Mhz"},
        {"tuned and stored",
         [](OverlayRig& rig) {
             rig.TuneToStation(0);
             rig.engine->SetChannel(rig.StationMhz(0), "Studio");
         },
         "-- Fps / {0} Mhz (Studio)"},
        {"stored, tuned elsewhere",
         [](OverlayRig& rig) {
             rig.TuneToStation(1);
             rig.engine->SetChannel(rig.StationMhz(0), "Studio");
         },
         "-- Fps / {1} Mhz"},
        {"recording", [](OverlayRig& rig) { rig.Record(true); },
         "-- Fps / 0 Mhz\ntake 1.avi / DF: 2,147,483,647"},
        {"paused", [](OverlayRig& rig) { rig.Record(false); }, "-- Fps / 0 Mhz\ntake 1.avi"},
        {"waiting", [](OverlayRig& rig) { rig.ArmSchedule(3600); },
         "-- Fps / 0 Mhz\nWaiting 01:00:00"},
        {"timed recording",
         [](OverlayRig& rig) {
             rig.ArmSchedule(-60);
             rig.Record(true);
         },
         "-- Fps / 0 Mhz\ntake 1.avi / DF: 2,147,483,647\nRec 00:09:00"},
    };
    for (const Case& c : cases) {
        OverlayRig rig;
        c.set(rig);
        rig.DrawAt(0);
        std::string expected = c.expected;
        for (int station : {0, 1}) {
            // Appended, not "{" + ...: GCC 12 at -O3 misreads that as an
            // overlapping copy (-Wrestrict).
            const std::string mark = std::string("{").append(std::to_string(station)).append("}");
            if (const size_t at = expected.find(mark); at != std::string::npos) {
                expected.replace(at, mark.size(), std::to_string(rig.StationMhz(station)));
            }
        }
        EXPECT_EQ(rig.Text(), kTitle + expected) << c.name;
    }
}

// The channel name is Windows-1252, the file name what the file dialog or the
// command line gave: UTF-8.
TEST(StatusOverlayTest, EachPieceIsDecodedFromItsOwnEncoding) {
    FakeDiskSpace disk(1'000'000'000);
    OverlayRig rig;
    rig.TuneToStation(0);
    rig.engine->SetChannel(rig.StationMhz(0),
                           "Kan\xE4l \x80 \x93"
                           "Eins\x94");
    rig.Record(true, "M\xC3\xBCll \xE2\x82\xAC.avi");
    rig.DrawAt(0);
    const std::string expected =
        kTitle + "-- Fps / " + std::to_string(rig.StationMhz(0)) +
        " Mhz (Kan\xC3\xA4l \xE2\x82\xAC \xE2\x80\x9C" +
        "Eins\xE2\x80\x9D)\nM\xC3\xBCll \xE2\x82\xAC.avi / DF: 1,000,000,000";
    EXPECT_EQ(rig.Text(), expected);

    // What is painted is that text, left of the recording symbol.
    rig.DrawAt(100);
    QImage painted(rig.image.size(), QImage::Format_RGB32);
    painted.fill(Qt::black);
    {
        DeviceContext dc(painted);
        dc.SelectFont(MapFont({"Terminal", -11, 0}));
        dc.SetBkColor(QColor(0, 0, 0));
        dc.SetTextColor(QColor(0, 255, 0));
        dc.DrawText(QString::fromStdString(expected), QRect(10, 10, 350, 278),
                    DrawTextFormat::kLeft | DrawTextFormat::kTop);
    }
    const QRect text(0, 0, kSymbolCell.left(), rig.image.height());
    EXPECT_EQ(rig.image.copy(text), painted.copy(text));
}

// The figure is the whole free space, and only a real reading below 10 MiB
// ends the recording, however many bytes lie above 4 GiB.
TEST(StatusOverlayTest, TheFreeDiskFigureIsTheWholeFreeSpace) {
    struct Case {
        uint64_t free;
        const char* shown;
    };
    const Case cases[] = {
        {84'123'456'789, "DF: 84,123,456,789"},
        {0xFFFF'FFFF, "DF: 4,294,967,295"},
        {(uint64_t{4} << 30) + (5 << 20), "DF: 4,300,210,176"},
        {uint64_t{1} << 50, "DF: 1,125,899,906,842,624"},
    };
    for (const Case& c : cases) {
        FakeDiskSpace disk(c.free);
        OverlayRig rig;
        rig.Record(true);
        rig.DrawAt(0);
        EXPECT_EQ(rig.Text(), kTitle + "-- Fps / 0 Mhz\ntake 1.avi / " + c.shown) << c.free;
        EXPECT_TRUE(rig.engine->IsRecording()) << c.free;
        EXPECT_EQ(rig.powerOffPosts, 0) << c.free;
    }
}

// The rate is the frames drawn since the previous rebuild over the time since
// it, rounded: a steady 25 a second shows 25 whether the window that closes
// at the first frame a second or more on holds 25 frames or 26. The first
// rebuild, at the first frame, has no interval behind it, however long
// before it the tick count started.
TEST(StatusOverlayTest, TheRateIsTheFramesOverTheMeasuredInterval) {
    struct Window {
        int frames;
        uint32_t interval_ms;
        const char* shown;
    };
    const Window windows[] = {
        {25, 1000, "25 Fps"}, {26, 1040, "25 Fps"}, {25, 1020, "25 Fps"}, {21, 1047, "20 Fps"},
        {22, 1130, "19 Fps"}, {13, 1000, "13 Fps"}, {1, 10'000, "0 Fps"}, {30, 1000, "30 Fps"},
    };
    OverlayRig rig(86'400'000);
    rig.DrawAt(0);
    EXPECT_EQ(rig.Text(), kTitle + "-- Fps / 0 Mhz");
    for (const Window& w : windows) {
        // All but the last frame inside the second, the last closing the window.
        const uint32_t start_ms = rig.Elapsed_ms();
        for (int k = 1; k < w.frames; ++k) {
            rig.DrawAt(start_ms + static_cast<uint32_t>(k * 999 / (w.frames - 1)));
        }
        rig.DrawAt(start_ms + w.interval_ms);
        EXPECT_EQ(rig.Text(), kTitle + w.shown + " / 0 Mhz")
            << w.frames << " frames in " << w.interval_ms << " ms";
    }
}

// While a file is open, one glyph at the top right: the record circle while
// writing, the pause bars while paused, dark red and bright red in turn, the
// colour changing at each rebuild; drawn whether or not the text shows.
TEST(StatusOverlayTest, TheSymbolShowsRecordOrPauseAtTheTopRightAndBlinks) {
    FakeDiskSpace disk(1'000'000'000);
    OverlayRig rig;
    rig.DrawAt(0);
    rig.Overlay().Show(0);
    rig.DrawAt(100);
    EXPECT_TRUE(PaintedArea(rig.image).isEmpty()) << "no file open";

    rig.Record(true);
    struct Step {
        uint32_t at_ms;
        bool writing;
        QRgb colour;
    };
    // Rebuilds at 1,000 and 2,000 ms flip the colour for the frames after them.
    const Step steps[] = {
        {200, true, kBrightRed},   {999, true, kBrightRed},  {1000, true, kBrightRed},
        {1040, true, kDarkRed},    {1500, false, kDarkRed},  {2000, false, kDarkRed},
        {2040, false, kBrightRed}, {2080, true, kBrightRed},
    };
    for (const Step& s : steps) {
        rig.engine->SetRecording(s.writing);
        rig.DrawAt(s.at_ms);
        const QRect painted = PaintedArea(rig.image);
        EXPECT_TRUE(kSymbolCell.contains(painted))
            << s.at_ms << " ms: painted " << painted.x() << "," << painted.y() << " "
            << painted.width() << "x" << painted.height();
        EXPECT_GE(painted.width(), 10) << s.at_ms;
        EXPECT_GE(painted.height(), 10) << s.at_ms;
        // The circle fills the cell's middle; the bars leave a gap there.
        const QPoint middle = kSymbolCell.center() + QPoint(1, 1);
        const QPoint leftBar(kSymbolCell.left() + 4, middle.y());
        EXPECT_EQ(rig.Pixel(middle.x(), middle.y()), s.writing ? s.colour : qRgb(0, 0, 0))
            << s.at_ms;
        EXPECT_EQ(rig.Pixel(leftBar.x(), leftBar.y()), s.colour) << s.at_ms;
    }
}

// A frame the file system refused marks the file name.
TEST(StatusOverlayTest, AFailedFrameWriteIsMarkedAfterTheFileName) {
    FakeDiskSpace disk(1'000'000'000);
    OverlayRig rig;
    rig.Record(true);
    const uint8_t* frame = rig.engine->GetFrameRecord()->Data();
    ASSERT_TRUE(rig.engine->WriteFrame(frame));
    rig.DrawAt(0);
    EXPECT_EQ(rig.Text(), kTitle + "-- Fps / 0 Mhz\ntake 1.avi / DF: 1,000,000,000");

    rig.DrawAt(100);
    {
        const QFileInfo file(QString::fromStdString(rig.Path("take 1.avi")));
        ScopedFileSizeLimit limit(file.size() + 1000);
        EXPECT_FALSE(rig.engine->WriteFrame(frame));
    }
    rig.DrawAt(1000);
    EXPECT_EQ(rig.Text(), kTitle + "2 Fps / 0 Mhz\ntake 1.avi (write error) / DF: 1,000,000,000");
}

// The first draw rebuilds at once; later ones once a full second has passed. The text shows for 2.5
// s after construction or Show(1), and is drawn once more on the frame that finds the deadline
// passed. The same holds across the 32-bit tick wrap.
TEST(StatusOverlayTest, RebuildAndVisibilityTimingSurviveTheTickWrap) {
    for (uint32_t start_ms : {1000u, 0xFFFF'FFFFu - 500}) {
        OverlayRig rig(start_ms);
        StatusOverlay& overlay = rig.Overlay();
        EXPECT_EQ(rig.Text(), "");
        rig.DrawAt(0);
        EXPECT_EQ(rig.Text(), kTitle + "-- Fps / 0 Mhz") << start_ms;
        rig.DrawAt(400);
        rig.DrawAt(999);
        EXPECT_EQ(rig.Text(), kTitle + "-- Fps / 0 Mhz") << start_ms;
        rig.DrawAt(1000);
        EXPECT_EQ(rig.Text(), kTitle + "3 Fps / 0 Mhz") << start_ms;

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
        EXPECT_EQ(rig.Text(), kTitle + "1 Fps / 0 Mhz" + c.fileLine + schedule) << label;
    }
}

}  // namespace
