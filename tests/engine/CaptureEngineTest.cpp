#include "engine/CaptureEngine.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "emulator/ChipRegisters.h"
#include "support/EngineRig.h"
#include "support/RecorderFileProbe.h"
#include "util/ArchiveWriter.h"

using namespace ChipRegisters;

namespace {

using Picture = std::vector<uint8_t>;
constexpr int kWidth = 360;
constexpr int kHeight = 288;
// Columns left of this hold sync, the clamp level and the lock edge.
constexpr int kFirstPictureColumn = 16;
// The nominal sampling rate: every emulated source runs at it.
constexpr int kNominal_hz = 35'438'456;

uint32_t Register(uint32_t offset) {
    return registerWindow->read32(offset);
}

// PSNR of `a` against `b` moved down by `dy` rows, where both have pixels.
double Psnr(const Picture& a, const Picture& b, int dy = 0) {
    double sum = 0;
    int count = 0;
    for (int r = std::max(0, dy); r < kHeight + std::min(0, dy); ++r) {
        for (int c = kFirstPictureColumn; c < kWidth; ++c, ++count) {
            const double d = double(a[r * kWidth + c]) - double(b[(r - dy) * kWidth + c]);
            sum += d * d;
        }
    }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * count / sum);
}

// The displacement (columns right, rows down) that best maps `before` onto
// `after`, searched in the rows the frame loop reads from the previous pass.
// Compared by gradients, so a change of the clamp level, which moves every
// pixel alike, doesn't matter.
std::pair<int, int> Displacement(const Picture& before, const Picture& after) {
    auto gradient = [](const Picture& p, int r, int c) {
        const uint8_t* at = &p[r * kWidth + c];
        return std::abs(at[1] - at[0]) + std::abs(at[kWidth] - at[0]);
    };
    std::pair<int, int> best;
    long bestDifference = std::numeric_limits<long>::max();
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -30; dx <= 30; ++dx) {
            long difference = 0;
            for (int r = 60; r < 240; ++r) {
                for (int c = 60; c < 300; ++c) {
                    difference +=
                        std::abs(gradient(before, r, c) - gradient(after, r + dy, c + dx));
                }
            }
            if (difference < bestDifference) {
                bestDifference = difference;
                best = {dx, dy};
            }
        }
    }
    return best;
}

// The whole rows `after` is moved down from `before` when the two are the
// same picture but for that (the source standing still), else 99.
int RowShift(const Picture& before, const Picture& after) {
    for (int dy = -8; dy <= 8; ++dy) {
        bool same = true;
        for (int r = 16; r < kHeight - 16 && same; ++r) {
            same = std::equal(after.begin() + r * kWidth, after.begin() + (r + 1) * kWidth,
                              before.begin() + (r - dy) * kWidth);
        }
        if (same) {
            return dy;
        }
    }
    return 99;
}

TEST(CaptureEngineTest, ConstructionConfiguresTheChipAndDestructionStopsIt) {
    EngineRig rig;
    CaptureEngine& engine = rig.Start();
    EXPECT_EQ(engine.GetHAdjust(), 35'438'456);
    EXPECT_EQ(engine.GetVAdjust(), 625);

    struct Case {
        uint32_t offset, mask, configured, stopped;
    };
    const Case cases[] = {
        {kPllXci, 0xFF, 0x8E, 0x8E},
        {kPllFHi, 0xFF, 0xD9, 0xD9},
        {kPllFLo, 0xFF, 0xB4, 0xB4},
        {kVtotalLo, 0xFF, 0x70, 0x00},
        {kVtotalHi, 0x03, 0x02, 0x00},
        {kColorFmt, 0xFF, 0xEE, 0xEE},
        {kTest, 0xFF, 239, 1},
        {kCapCtl, 0x03, 0x03, 0x00},
        {kGpioDmaCtl, 0x03, 0x03, 0x00},
        {kIform, kIformMuxselMask, 2u << kIformMuxselShift, 2u << kIformMuxselShift},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Register(c.offset) & c.mask, c.configured) << std::hex << c.offset;
    }

    // The program: two syncs, 674 writes of 1,024 bytes through the capture
    // buffer, a jump back to its own start. Read without the model lock: no
    // other thread drives this card.
    const uint32_t program = Register(kRiscStrtAdd);
    const auto* words = reinterpret_cast<const uint32_t*>(
        rig.emulated.Memory().Translate(program, CaptureEngine::kRiscProgramBytes));
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words[0], 0x8000'8004u);
    EXPECT_EQ(words[2], 0x8000'0006u);
    const uint32_t capture = words[5];
    for (uint32_t k = 0; k < 674; ++k) {
        ASSERT_EQ(words[4 + 2 * k], 0x1C00'0400u) << k;
        ASSERT_EQ(words[5 + 2 * k], capture + 1'024 * k) << k;
    }
    EXPECT_EQ(words[4 + 2 * 674], 0x7C00'0000u);
    EXPECT_EQ(words[5 + 2 * 674], program);
    EXPECT_NE(rig.emulated.Memory().Translate(capture, CaptureEngine::kCaptureBufferBytes),
              nullptr);

    rig.Stop();
    for (const Case& c : cases) {
        EXPECT_EQ(Register(c.offset) & c.mask, c.stopped) << std::hex << c.offset;
    }
    EXPECT_EQ(rig.emulated.Memory().Translate(program, 4), nullptr);
    EXPECT_EQ(rig.emulated.Memory().Translate(capture, 4), nullptr);
    EXPECT_TRUE(rig.warnings.Messages().empty());
}

// The emulated chip's vertical timing runs free, as the real one's does
// (hence "V Adjust"), so the picture may sit a line or two off the reference;
// sideways the lock holds it.
TEST(CaptureEngineTest, LiveFramesShowTheStationsTestPicture) {
    EngineRig rig;
    rig.Start();
    rig.RunFrames(3);
    const Picture reference = rig.emulated.StationReferencePicture(0);
    const auto [dx, dy] = Displacement(reference, rig.Picture());
    EXPECT_EQ(dx, 0);
    EXPECT_LE(std::abs(dy), 3);
    EXPECT_GE(Psnr(rig.Picture(), reference, dy), 30.0);
    EXPECT_LT(Psnr(rig.Picture(), rig.emulated.StationReferencePicture(1), dy), 20.0);
    std::printf("picture %d rows down, PSNR %.1f dB\n", dy, Psnr(rig.Picture(), reference, dy));
}

// The lock corrects only outside its dead band i = 29 ... 35, so a wandering
// source takes the edge one sample past it before the lock pulls it back. A
// source further off than the 20 Hz bands reach is held in the 60 Hz ones.
TEST(CaptureEngineTest, LockHoldsTheEdgeWhileTheSourceWanders) {
    struct Case {
        int offset_hz, lowest, highest;
    };
    for (const Case& c : {Case{0, 28, 36}, Case{40, 8, 56}, Case{-40, 8, 56}}) {
        EngineRig rig;
        rig.emulated.SetRateWalk(SourceTimebase::RateWalk::On, c.offset_hz);
        rig.Start();
        rig.RunFrames(10);
        int lowest = 256;
        int highest = 0;
        int outsideDeadBand = 0;
        for (int frame = 0; frame < 1'000; ++frame) {
            rig.RunToNextFrame();
            const int edge = rig.LockEdge();
            lowest = std::min(lowest, edge);
            highest = std::max(highest, edge);
            outsideDeadBand += edge < 29 || edge > 35;
        }
        std::printf("%+d Hz: edge %d ... %d, %d of 1,000 frames outside 29 ... 35\n", c.offset_hz,
                    lowest, highest, outsideDeadBand);
        EXPECT_GE(lowest, c.lowest) << c.offset_hz;
        EXPECT_LE(highest, c.highest) << c.offset_hz;
        if (c.offset_hz == 0) {
            EXPECT_LT(outsideDeadBand, 100);
        }
    }
}

// With the sampling clock above the source's, every frame ends before the
// source's does, so the picture arrives later: it drifts right by
// 1,417,500 x (f - source) / f samples a frame, a fifth of that in pixels.
TEST(CaptureEngineTest, HAdjustAwayFromTheSourceDriftsThePictureSideways) {
    for (int offset_hz : {200, -200}) {
        EngineRig rig;
        rig.emulated.SetRateWalk(SourceTimebase::RateWalk::Off);
        CaptureEngine& engine = rig.Start();
        rig.RunFrames(3);
        EXPECT_NEAR(engine.SetHAdjust(kNominal_hz + offset_hz), kNominal_hz + offset_hz, 40);
        rig.RunFrames(2);
        rig.RunToNextFrame();
        const Picture before = rig.Picture();
        double predicted_px = 0;
        for (int frame = 0; frame < 10; ++frame) {
            const int pll_hz = engine.GetCard()->GetPllFrequency();
            predicted_px += 1'417'500.0 * (pll_hz - kNominal_hz) / pll_hz / 5;
            rig.RunToNextFrame();
        }
        const auto [dx, dy] = Displacement(before, rig.Picture());
        std::printf("%+d Hz: moved %d px in 10 frames, predicted %.1f\n", offset_hz, dx,
                    predicted_px);
        EXPECT_GE(std::abs(dx), 8) << offset_hz;
        EXPECT_NEAR(dx, predicted_px, 2.0) << offset_hz;
        EXPECT_EQ(dy, 0) << offset_hz;
    }
}

// A V Step changes the line total for 10 ms (V Step spin: the delta, 10 ms,
// then back). Field ends are compared with the total at every line, so only
// a field ending inside those 10 ms changes, by whole lines. Across the
// frame's end (the odd field's), that frame is delta lines longer and the
// picture moves up by delta for good; across the even field's end only that
// field ends elsewhere and the next frame is as before. Either way the
// picture is never split sideways and is steady again two frames later.
TEST(CaptureEngineTest, VStepMovesThePictureByWholeLinesAndSteadiesWithinTwoFrames) {
    struct Case {
        int delta;
        bool acrossFrameEnd;
        int dy;
    };
    const Case cases[] = {{1, true, -1}, {-1, true, 1},  {6, true, -6},
                          {1, false, 0}, {-1, false, 0}, {6, false, 0}};
    for (const Case& c : cases) {
        EngineRig rig;
        rig.emulated.SetRateWalk(SourceTimebase::RateWalk::Off);
        CaptureEngine& engine = rig.Start();
        rig.RunFrames(3);
        rig.RunToNextFrame();
        const Picture before = rig.Picture();
        // 12 ms into the field whose end the step is to cover.
        const uint32_t wantedField = c.acrossFrameEnd ? 0 : kDstatusField;
        uint32_t fields = Register(kFcap);
        while (Register(kFcap) == fields || (Register(kDstatus) & kDstatusField) != wantedField) {
            fields = Register(kFcap);
            rig.RunPasses(1);
        }
        rig.RunPasses(6);
        EXPECT_EQ(engine.StepVAdjust(c.delta), 625 + c.delta);
        rig.RunPasses(5);
        EXPECT_EQ(engine.StepVAdjust(-c.delta), 625);
        for (int frame = 0; frame < 2; ++frame) {
            rig.RunToNextFrame();
            EXPECT_NEAR(rig.LockEdge(), 32, 4) << c.delta << " frame " << frame;
        }
        const Picture settled = rig.Picture();
        rig.RunToNextFrame();
        EXPECT_EQ(settled, rig.Picture()) << c.delta;  // the source stands still
        EXPECT_EQ(RowShift(before, rig.Picture()), c.dy) << c.delta;
        EXPECT_NEAR(rig.LockEdge(), 32, 4) << c.delta;
    }
}

// 624 lines make every frame a line shorter than the source's: the picture
// rolls down a line a frame, in whichever field the total is set.
TEST(CaptureEngineTest, VAdjust624RollsThePictureDownALineAFrame) {
    EngineRig rig;
    rig.emulated.SetRateWalk(SourceTimebase::RateWalk::Off);
    CaptureEngine& engine = rig.Start();
    rig.RunFrames(3);
    EXPECT_EQ(engine.SetVAdjust(624), 624);
    rig.RunFrames(2);
    rig.RunToNextFrame();
    Picture previous = rig.Picture();
    for (int frame = 0; frame < 4; ++frame) {
        rig.RunToNextFrame();
        const auto [dx, dy] = Displacement(previous, rig.Picture());
        EXPECT_EQ(dy, 1) << frame;
        EXPECT_LE(std::abs(dx), 1) << frame;
        previous = rig.Picture();
    }
}

TEST(CaptureEngineTest, TuneToChannelTunesOnlyStoredChannels) {
    EngineRig rig;
    CaptureEngine& engine = rig.Start();
    const int first_mhz = static_cast<int>(rig.emulated.StationCarrier_hz(0) / 1'000'000);
    const int last_mhz = static_cast<int>(rig.emulated.StationCarrier_hz(4) / 1'000'000);
    engine.SetChannel(first_mhz, "First");
    engine.SetChannel(last_mhz, "Last");
    ASSERT_EQ(engine.GetCount(), 2);

    EXPECT_TRUE(engine.TuneToChannel(1));
    const int64_t tuned_hz = int64_t{last_mhz} * 1'000'000;
    const EmulatedChip::TunerState tuned = rig.emulated.Chip(0).GetTunerState();
    EXPECT_EQ(tuned.divider, (tuned_hz + 38'871'250) / 62'500);
    EXPECT_LE(tuned_hz - tuned.carrier_hz, 62'500);
    EXPECT_GE(tuned_hz - tuned.carrier_hz, 0);
    EXPECT_EQ(engine.GetCard()->GetFrequency(), tuned_hz);

    for (int index : {2, 3, -1}) {
        EXPECT_FALSE(engine.TuneToChannel(index)) << index;
    }
    EXPECT_EQ(rig.emulated.Chip(0).GetTunerState().messages, tuned.messages);
    EXPECT_EQ(engine.GetCard()->GetFrequency(), tuned_hz);
}

// A complete or missing channel file is written at the end; a damaged one is
// kept as the user left it.
TEST(CaptureEngineTest, ChannelFileIsSavedAtDestructionUnlessItWasDamaged) {
    ArchiveWriter complete;
    complete.WriteUint32(1);
    complete.WriteString("175\tOld");
    ArchiveWriter damaged;
    damaged.WriteUint32(3);
    damaged.WriteString("175\tOld");
    struct Case {
        const char* name;
        std::optional<std::string> before;
        int countAfter;  // -1: the file is unchanged
    };
    const Case cases[] = {
        {"missing", std::nullopt, 1},
        {"complete", complete.Bytes(), 2},
        {"damaged", damaged.Bytes(), -1},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        QFile file(QString::fromStdString(rig.ChannelFile()));
        if (c.before) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.before->data(), static_cast<qint64>(c.before->size()));
            file.close();
        }
        CaptureEngine& engine = rig.Start();
        EXPECT_EQ(engine.ChannelFileLoadedCompletely(), c.countAfter != -1) << c.name;
        engine.SetChannel(471, "New");
        rig.Stop();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        const QByteArray after = file.readAll();
        if (c.countAfter == -1) {
            EXPECT_EQ(after.toStdString(), *c.before) << c.name;
            continue;
        }
        ChannelStore reloaded(rig.ChannelFile());
        EXPECT_TRUE(reloaded.Load()) << c.name;
        EXPECT_EQ(reloaded.GetCount(), c.countAfter) << c.name;
        EXPECT_EQ(reloaded.FindChannel(471), c.countAfter - 1) << c.name;
    }
}

// 25 frames a second arrive, 20 a second are written; the file holds the
// grey picture while the screen shows the status text over it.
TEST(CaptureEngineTest, RecordingWritesTheFramesWithoutTheOverlay) {
    EngineRig rig(EngineRig::Window::Surface);
    CaptureEngine& engine = rig.Start();
    rig.RunFrames(3);
    const std::string path = rig.Path("live.avi");
    ASSERT_TRUE(engine.Open(path, engine.GetFrameRecord()->Data()));
    engine.SetRecording(true);
    rig.RunFrames(25);
    engine.SetRecording(false);
    const int written = engine.FramesWritten();
    EXPECT_NEAR(written, 20, 1);
    const Picture shown = rig.Picture();
    ASSERT_TRUE(engine.Close());

    const QByteArray frames = RecorderFileProbe::Decode(QString::fromStdString(path), "gray");
    ASSERT_EQ(frames.size(), written * kWidth * kHeight);
    const Picture last(frames.end() - kWidth * kHeight, frames.end());
    EXPECT_GE(Psnr(last, shown), 40.0);

    const QImage screen = rig.surface->Latest();
    int green = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb pixel = screen.pixel(x, y);
            green += qGreen(pixel) > 200 && qRed(pixel) < 60 && qBlue(pixel) < 60;
        }
    }
    EXPECT_GT(green, 100);
}

// The camera gets every frame shown, at the rate frames arrive, while the
// recorder writes its 20 a second, and gets the recorder's picture: the frame
// record, not the screen with the status text over it.
TEST(CaptureEngineTest, TheCameraGetsEveryFrameShownWhileARecordingRuns) {
    EngineRig rig(EngineRig::Window::Surface);
    CaptureEngine& engine = rig.Start();
    ASSERT_TRUE(engine.Open(rig.Path("both.avi"), engine.GetFrameRecord()->Data()));
    engine.SetRecording(true);
    constexpr int kShown = 25;
    for (int frame = 0; frame < kShown; ++frame) {
        rig.RunToNextFrame();
    }
    engine.SetRecording(false);
    EXPECT_EQ(rig.camera.published, kShown);
    EXPECT_NEAR(engine.FramesWritten(), 20, 1);

    const uint8_t* record = engine.GetFrameRecord()->Pixels();
    ASSERT_EQ(rig.camera.last.size(), FrameRecord::kPixelsSize_bytes);
    EXPECT_TRUE(std::equal(rig.camera.last.begin(), rig.camera.last.end(), record));
    const QImage screen = rig.surface->Latest();
    const Picture picture = rig.Picture();
    int painted = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            painted += qGray(screen.pixel(x, y)) != picture[y * kWidth + x];
        }
    }
    EXPECT_GT(painted, 100);
}

}  // namespace
