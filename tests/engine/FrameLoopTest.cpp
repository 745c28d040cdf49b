// The frame loop as the engine runs it, on a card of plain registers: the test
// plays the chip, setting the field counter and the field bit and writing the
// capture buffer itself, and sees what each pass converts, paints, records and
// programs into the PLL.
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/CaptureEngine.h"
#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"
#include "hardware/Bt848Registers.h"
#include "platform/AviCompressionOptions.h"
#include "platform/AviCompressor.h"
#include "platform/VideoSurface.h"
#include "support/FakeCaptureCardRig.h"
#include "support/RecorderFakeDialog.h"

namespace {

using namespace RawSampleLayout;

constexpr uint32_t kFieldBit = 1u << bt848::kField.shift;
constexpr uint32_t kPllRegisters[] = {bt848::kPllFLo, bt848::kPllFHi, bt848::kPllXci};

class FrameLoopRig {
public:
    FrameLoopRig() {
        card.Build();
        dialog.choice = Uncompressed();
        engine.emplace(
            card.card.get(), &surface, 5, 5,
            CaptureEngine::Services{Path("channels.cnl"), &dialog, Path("options.avs"), [] {}});
        base_hz = engine->GetHAdjust();
    }

    // What the chip shows the next pass: the low byte of the field counter
    // and whether the field is the even one.
    void SetField(uint8_t count, bool even) {
        card.window.Poke(bt848::kFcap, count);
        card.window.Poke(bt848::kDstatus, even ? kFieldBit : 0);
    }

    // The capture buffer, written here as the chip's DMA would.
    uint8_t* Samples() { return const_cast<uint8_t*>(engine->CaptureSamples()); }
    void FillSamples(uint8_t value) { std::fill_n(Samples(), kCaptureBufferSize_bytes, value); }

    void Passes(int count) {
        for (int i = 0; i < count; ++i) {
            engine->FrameStep();
        }
    }

    // A pixel of the converted picture, in the frame record and on the screen
    // (bottom left, away from the status text and the symbol).
    int RecordPixel() { return engine->GetFrameRecord()->Pixels()[0]; }
    int ScreenPixel() const { return qGray(surface.Latest().pixel(2, VideoSurface::kHeight - 2)); }

    // The PLL register words as they stand.
    std::array<uint32_t, 3> PllWords() const {
        std::array<uint32_t, 3> words{};
        std::transform(std::begin(kPllRegisters), std::end(kPllRegisters), words.begin(),
                       [this](uint32_t offset) { return card.window.Peek(offset); });
        return words;
    }
    int PllWrites() const {
        int writes = 0;
        for (uint32_t offset : kPllRegisters) {
            writes += static_cast<int>(card.window.WritesTo(offset).size());
        }
        return writes;
    }
    // The words that programming `frequency_hz` leaves in the PLL registers.
    std::array<uint32_t, 3> PllWordsFor(int frequency_hz) {
        const std::array<uint32_t, 3> saved = PllWords();
        card.card->SetPllFrequency(frequency_hz);
        const std::array<uint32_t, 3> words = PllWords();
        for (size_t i = 0; i < saved.size(); ++i) {
            card.window.Poke(kPllRegisters[i], saved[i]);
        }
        return words;
    }

    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }

    FakeCaptureCardRig card;
    QTemporaryDir folder;
    RecorderFakeDialog dialog;
    VideoSurface surface{{}, QPoint(5, 5)};
    std::optional<CaptureEngine> engine;
    int base_hz = 0;

private:
    static AviCompressionOptions Uncompressed() {
        AviCompressionOptions options;
        options.streamType = AviFourCC("vids");
        options.handler = AviFourCC("DIB ");
        options.flags = AviCompressionOptions::kFlagValid;
        return options;
    }
};

// All zeros convert to grey 40, raw 10 everywhere to grey 70.
constexpr uint8_t kZeros = 0;
constexpr int kZerosGrey = 40;
constexpr uint8_t kTens = 10;
constexpr int kTensGrey = 70;

}  // namespace

// A pass that finds the counter where the last frame left it converts,
// paints and records nothing, even with a frame due for the file and new
// samples in the buffer; the next change of the counter is taken.
TEST(FrameLoopTest, AnUnchangedCounterTakesNoFrame) {
    FrameLoopRig rig;
    ASSERT_TRUE(rig.engine->Open(rig.Path("take.avi"), rig.engine->GetFrameRecord()->Data()));
    rig.engine->SetRecording(true);
    rig.FillSamples(kZeros);
    rig.SetField(2, true);
    rig.Passes(1);
    ASSERT_EQ(rig.RecordPixel(), kZerosGrey);
    ASSERT_EQ(rig.ScreenPixel(), kZerosGrey);
    ASSERT_EQ(rig.engine->FramesWritten(), 1);

    rig.FillSamples(kTens);
    for (bool even : {true, false, true}) {
        rig.SetField(2, even);
        rig.Passes(50);  // 100 ms: two frames would be due for the file
        EXPECT_EQ(rig.RecordPixel(), kZerosGrey) << "converted";
        EXPECT_EQ(rig.ScreenPixel(), kZerosGrey) << "painted";
        EXPECT_EQ(rig.engine->FramesWritten(), 1) << "recorded";
    }

    rig.SetField(4, true);
    rig.Passes(1);
    EXPECT_EQ(rig.RecordPixel(), kTensGrey);
    EXPECT_EQ(rig.ScreenPixel(), kTensGrey);
    // The slots that passed meanwhile repeat the first picture (the file
    // keeps real time), but only two frames came from the loop.
    rig.engine->Close();
    const AviRecorder::ClosedFile file = rig.engine->LastClosedFile();
    EXPECT_EQ(file.framesWritten - file.framesRepeated, 2);
}

// The counter changing while the odd field is up is not a frame yet, and
// doesn't count as taken: the first pass that sees the even field takes it.
TEST(FrameLoopTest, ACounterChangedDuringAnOddFieldIsTakenOnTheNextEvenPass) {
    FrameLoopRig rig;
    rig.FillSamples(kZeros);
    rig.SetField(8, true);
    rig.Passes(1);
    ASSERT_EQ(rig.RecordPixel(), kZerosGrey);

    rig.FillSamples(kTens);
    rig.SetField(9, false);
    rig.Passes(5);
    EXPECT_EQ(rig.RecordPixel(), kZerosGrey);
    rig.SetField(10, false);
    rig.Passes(5);
    EXPECT_EQ(rig.RecordPixel(), kZerosGrey);
    rig.SetField(10, true);
    rig.Passes(1);
    EXPECT_EQ(rig.RecordPixel(), kTensGrey);
}

// The frame's lock edge decides the PLL frequency, always from the H Adjust
// base; an edge on target with the PLL at the base writes no register, and a
// buffer without an edge (all zeros) pulls the frequency 40 Hz down.
TEST(FrameLoopTest, TheLockEdgeProgramsThePllFromTheBase) {
    struct Case {
        const char* what;
        std::optional<int> edge;  // where four samples first sum to 200
        int correction_hz;
    };
    const Case cases[] = {
        {"all zeros: no edge", std::nullopt, -40},
        {"edge on target", kLockTarget, 0},
        {"edge in the dead band", kLockTarget + 3, 0},
        {"edge late", kLockTarget + 8, -20},
        {"edge early", 10, +60},
        {"edge at the start", 0, +40},
    };
    for (const Case& c : cases) {
        FrameLoopRig rig;
        rig.FillSamples(kZeros);
        if (c.edge) {
            std::fill_n(rig.Samples() + kLockSearchStart + *c.edge, 4, 50);
        }
        const std::array<uint32_t, 3> atBase = rig.PllWords();
        const std::array<uint32_t, 3> expected = rig.PllWordsFor(rig.base_hz + c.correction_hz);
        rig.card.window.ClearLog();
        rig.SetField(2, true);
        rig.Passes(1);
        EXPECT_EQ(rig.PllWords(), expected) << c.what;
        if (c.correction_hz == 0) {
            EXPECT_EQ(rig.PllWrites(), 0) << c.what;
        } else {
            EXPECT_NE(expected, atBase) << c.what;
        }
        EXPECT_EQ(rig.engine->GetHAdjust(), rig.base_hz) << c.what;
    }
}
