// The capture engine against what the chip does with its set-up: the DMA
// controller's health, the fields the frame loop reads, and a card whose
// crystal is off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "emulator/ChipRegisters.h"
#include "support/EngineRig.h"

using namespace ChipRegisters;

namespace {

constexpr int kNominal_hz = 35'438'456;  // the sources' rate and the default PLL's

uint32_t Register(uint32_t offset) {
    return registerWindow->read32(offset);
}

// The frame loop converts only in a pass that begins in an even field with a
// new field count, when the DMA program has written the odd field completely
// and waits at its first SYNC for the even field's end. With the pictures
// moving, every conversion changes the frame record.
TEST(CaptureEngineChipTest, FrameLoopReadsOnlyFieldsTheDmaProgramFinished) {
    EngineRig rig;
    CaptureEngine& engine = rig.Start();
    rig.emulated.SetMotion(SignalSynthesizer::Motion::Moving);
    const uint32_t program = Register(kRiscStrtAdd);
    const uint8_t* pixels = engine.GetFrameRecord()->Pixels();
    std::vector<uint8_t> previous(pixels, pixels + FrameRecord::kPixelsSize_bytes);
    uint32_t lastCount = 0;
    int frames = 0;
    for (int pass = 0; pass < 10 * EngineRig::kPassesPerFrame; ++pass) {
        const bool even = (Register(kDstatus) & kDstatusField) != 0;
        const uint32_t count = Register(kFcap) & 0xFF;
        const bool due = even && count != lastCount;
        if (due) {
            EXPECT_EQ(Register(kRiscCount), program + 8) << "frame " << frames;
            lastCount = count;
        }
        engine.FrameStep();
        const bool converted = !std::equal(previous.begin(), previous.end(), pixels);
        EXPECT_EQ(converted, due) << "pass " << pass;
        previous.assign(pixels, pixels + FrameRecord::kPixelsSize_bytes);
        frames += due;
    }
    EXPECT_GE(frames, 9);
}

// The set-up the engine makes is one the model delivers samples for, and the
// DMA program runs through frame after frame without any error status.
TEST(CaptureEngineChipTest, DmaProgramRunsWithoutErrors) {
    EngineRig rig;
    rig.Start();
    rig.RunFrames(10);
    EXPECT_EQ(Register(kIntStat) & (kIntDmaErrors | kIntRiscEn), kIntRiscEn);
    const EmulatedChip::Diagnostics diagnostics = rig.emulated.Chip(0).GetDiagnostics();
    EXPECT_EQ(diagnostics.unmodelledCaptures, 0u) << diagnostics.lastUnmodelled;
    EXPECT_EQ(diagnostics.modelFaults, 0u);
    EXPECT_EQ(diagnostics.driverErrors, 0u);
}

// A crystal 40 ppm off puts the default PLL setting about 1,400 Hz away from
// the sources, far beyond the software lock's 60 Hz: the picture drifts
// sideways. The H Adjust that compensates the crystal, applied at start as
// the panel applies the stored "HAdjust", holds it.
TEST(CaptureEngineChipTest, CrystalErrorDriftsThePictureUnlessHAdjustCompensatesIt) {
    struct Case {
        const char* options;
        double error_ppm;
        bool compensated;
    };
    const Case cases[] = {
        {"crystal=+40ppm", 40.0, false},
        {"crystal=-40ppm", -40.0, false},
        {"crystal=+40ppm", 40.0, true},
        {"crystal=-40ppm", -40.0, true},
    };
    for (const Case& c : cases) {
        EngineRig rig(EngineRig::Window::None, 1000, c.options);
        rig.emulated.SetRateWalk(SourceTimebase::RateWalk::Off);
        CaptureEngine& engine = rig.Start();
        if (c.compensated) {
            engine.SetHAdjust(
                static_cast<int>(std::lround(kNominal_hz / (1 + c.error_ppm * 1e-6))));
        }
        rig.RunFrames(10);
        int lowest = 256;
        int highest = 0;
        for (int frame = 0; frame < 40; ++frame) {
            rig.RunToNextFrame();
            lowest = std::min(lowest, rig.LockEdge());
            highest = std::max(highest, rig.LockEdge());
        }
        std::printf("%s %s: edge %d ... %d\n", c.options,
                    c.compensated ? "compensated" : "default H Adjust", lowest, highest);
        if (c.compensated) {
            EXPECT_GE(lowest, 27) << c.options;
            EXPECT_LE(highest, 37) << c.options;
        } else {
            EXPECT_GE(highest - lowest, 100) << c.options << ": the software lock can't hold it";
        }
    }
}

}  // namespace
