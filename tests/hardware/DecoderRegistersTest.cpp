// Single register operations of the card's interfaces, at the register
// boundary: tables of inputs and the register contents they must leave.
#include <cstdint>
#include <cstdlib>

#include <gtest/gtest.h>

#include "support/FakeCaptureCardRig.h"

namespace {

class DecoderRegistersTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Build();
        ASSERT_TRUE(rig.card->IsPresent());
    }

    uint32_t Reg(uint32_t offset) { return rig.window.Peek(offset); }
    void Set(uint32_t offset, uint32_t value) { rig.window.Poke(offset, value); }

    FakeCaptureCardRig rig;
};

struct PllCase {
    int32_t request_hz;
    uint32_t xci;
    uint32_t fHi;
    uint32_t fLo;
    int32_t result_hz;
};

// The edges of PLL_X (doubling below 57,272,720 Hz) and PLL_C (divide by 4 from
// 76,363,626 Hz after doubling), and requests just below a multiple of the
// reference, whose fraction rounds up into the integer part.
TEST_F(DecoderRegistersTest, PllFrequencyBoundaries) {
    const PllCase cases[] = {
        {35'438'450, 0x8E, 0xD9, 0xB4, 35'438'456}, {57'272'719, 0xD0, 0x00, 0x00, 57'272'720},
        {57'272'720, 0x0C, 0x00, 0x00, 57'272'720}, {76'363'625, 0x10, 0x00, 0x00, 76'363'626},
        {76'363'626, 0x4A, 0xAA, 0xAB, 76'363'663}, {38'181'812, 0x90, 0x00, 0x00, 38'181'813},
        {38'181'813, 0xCA, 0xAA, 0xAB, 38'181'831},
    };
    for (const PllCase& c : cases) {
        rig.card->SetPllFrequency(c.request_hz);
        EXPECT_EQ(Reg(0x0F8), c.xci) << c.request_hz;
        EXPECT_EQ(Reg(0x0F4), c.fHi) << c.request_hz;
        EXPECT_EQ(Reg(0x0F0), c.fLo) << c.request_hz;
        EXPECT_EQ(rig.card->GetPllFrequency(), c.result_hz) << c.request_hz;
    }
}

// The frame loop nudges the PLL by tens of Hz; what it reads back must be
// within one step of the fraction of what it asked for, over the whole range
// the chip's multiplier reaches.
TEST_F(DecoderRegistersTest, PllReadsBackWithinOneFractionStep) {
    for (int32_t request_hz = 14'000'000; request_hz < 90'000'000; request_hz += 9'973) {
        rig.card->SetPllFrequency(request_hz);
        ASSERT_LE(std::abs(rig.card->GetPllFrequency() - request_hz), 56) << request_hz;
    }
}

TEST_F(DecoderRegistersTest, PllTakesAnyRequestAndChangesOnlyItsFields) {
    for (int32_t request_hz : {INT32_MIN, -1, 0, 1, 200'000'000, INT32_MAX}) {
        Set(0x0F8, 0xAB000000);
        Set(0x0F4, 0xAB000000);
        Set(0x0F0, 0xAB000000);
        rig.card->SetPllFrequency(request_hz);
        EXPECT_EQ(Reg(0x0F8) & 0xFFFFFF00, 0xAB000000u) << request_hz;
        EXPECT_EQ(Reg(0x0F4) & 0xFFFFFF00, 0xAB000000u) << request_hz;
        EXPECT_EQ(Reg(0x0F0) & 0xFFFFFF00, 0xAB000000u) << request_hz;
        rig.card->GetPllFrequency();
    }
}

TEST_F(DecoderRegistersTest, TotalLinesMaskTenBitsAndKeepOtherBits) {
    struct Case {
        int lines;
        uint32_t hi;
        uint32_t lo;
        int readBack;
    };
    const Case cases[] = {
        {625, 0x2, 0x70, 625},   {1, 0x0, 0x00, 1},    {525, 0x2, 0x0C, 525},
        {1024, 0x3, 0xFF, 1024}, {1025, 0x0, 0x00, 1}, {0, 0x3, 0xFF, 1024},
    };
    for (const Case& c : cases) {
        Set(0x0B4, 0x5500FC);
        Set(0x0B0, 0x550000);
        rig.card->SetTotalLines(c.lines);
        EXPECT_EQ(Reg(0x0B4), 0x5500FCu | c.hi) << c.lines;
        EXPECT_EQ(Reg(0x0B0), 0x550000u | c.lo) << c.lines;
        EXPECT_EQ(rig.card->GetTotalLines(), c.readBack) << c.lines;
    }
}

TEST_F(DecoderRegistersTest, ColorFormatCopiesOddFieldFormatToEvenField) {
    struct Case {
        uint32_t before;
        int code;
        uint32_t after;
    };
    const Case cases[] = {
        {0x00, 14, 0xEE},       {0xFF, 14, 0xEE}, {0x12, 14, 0xEE},
        {0x0100, 0x1F, 0x01FF}, {0xEE, 3, 0x33},  {0xEE, 0, 0x00},
    };
    for (const Case& c : cases) {
        Set(0x0D4, c.before);
        rig.card->SetColorFormat(c.code);
        EXPECT_EQ(Reg(0x0D4), c.after) << std::hex << c.before << " " << c.code;
    }
}

TEST_F(DecoderRegistersTest, DecimationIsDoubledWhenCountedInFields) {
    struct Case {
        uint32_t tdec;
        int n;
        uint32_t after;
    };
    const Case cases[] = {
        {0x80, 5, 0x8A},    {0x00, 5, 0x05}, {0xC0, 40, 0xD0},
        {0x40, 0x7F, 0x7F}, {0xBF, 0, 0x80}, {0x3F, 1, 0x01},
    };
    for (const Case& c : cases) {
        Set(0x008, c.tdec);
        rig.card->SetDecimation(c.n);
        EXPECT_EQ(Reg(0x008), c.after) << std::hex << c.tdec << " " << std::dec << c.n;
    }
}

// DSTATUS: PRES 0x80, HLOC 0x40, FIELD 0x20, NUML 0x10, LOF 0x02.
TEST_F(DecoderRegistersTest, SignalPresenceTruthTable) {
    struct Case {
        uint32_t dstatus;
        int loose;
        int strict;
    };
    const Case cases[] = {
        {0x00, 0, 0}, {0x80, 0, 0}, {0x40, 0, 0}, {0xC0, 1, 1}, {0xFF, 1, 1},
        {0xB2, 1, 0}, {0xB0, 0, 0}, {0xA2, 0, 0}, {0x92, 0, 0}, {0x32, 0, 0},
        {0x72, 0, 0}, {0xD2, 1, 1}, {0x3F, 0, 0}, {0xF2, 1, 1},
    };
    Set(0x0E8, 0x12345697);
    EXPECT_EQ(rig.card->GetFieldCount(), 0x97);
    for (const Case& c : cases) {
        Set(0x000, c.dstatus);
        EXPECT_EQ(rig.card->IsEvenField(), static_cast<int>(c.dstatus >> 5 & 1))
            << std::hex << c.dstatus;
        EXPECT_EQ(rig.card->IsSignalPresent(0), c.loose) << std::hex << c.dstatus;
        EXPECT_EQ(rig.card->IsSignalPresent(1), c.strict) << std::hex << c.dstatus;
    }
}

TEST_F(DecoderRegistersTest, CodesAreMaskedToTheirFields) {
    Set(0x004, 0xFFFFFFFF);
    rig.card->SelectInput(0x7C);
    EXPECT_EQ(Reg(0x004), 0xFFFFFF9Fu);
    rig.card->SelectCrystal(0x5);
    EXPECT_EQ(Reg(0x004), 0xFFFFFF8Fu);
    rig.card->SetVideoFormat(0x9);
    EXPECT_EQ(Reg(0x004), 0xFFFFFF89u);
    Set(0x084, 0xFFFFFFFF);
    rig.card->SetTimingClock(0);
    EXPECT_EQ(Reg(0x084), 0xFFFFFFE7u);
    Set(0x054, 0xFFFFFF00);
    rig.card->SetTestControl(0x1EF);
    EXPECT_EQ(Reg(0x054), 0xFFFFFFEFu);
    Set(0x0E4, 0xFFFFFFFF);
    rig.card->SetExtendedFrame(2);
    EXPECT_EQ(Reg(0x0E4), 0xFFFFFFFDu);
}

// The setters write the odd field and copy only the field's bits into the
// even one; the vertical delay goes the other way. Bits outside the fields
// keep what each register held.
TEST_F(DecoderRegistersTest, EvenAndOddFieldRegistersAreMirrored) {
    Set(0x02C, 0xFFFFFFFF);
    Set(0x0AC, 0x00000000);
    rig.card->SetComponentVideo(1);
    EXPECT_EQ(Reg(0x0AC), 0x40u);
    EXPECT_EQ(Reg(0x02C), 0xFFFFFFFFu);
    rig.card->SetComponentVideo(0);
    EXPECT_EQ(Reg(0x0AC), 0x00u);
    EXPECT_EQ(Reg(0x02C), 0xFFFFFFBFu);

    Set(0x00C, 0x01);
    Set(0x08C, 0x02);
    Set(0x04C, 0xE0);
    Set(0x0CC, 0x00);
    rig.card->SetSourceWindow(0, 0, 0x1FF, 0x3AB);
    EXPECT_EQ(Reg(0x00C) & 0xF3, 0x71u);
    EXPECT_EQ(Reg(0x08C) & 0xF3, 0x72u);
    EXPECT_EQ(Reg(0x010), 0xFFu);
    EXPECT_EQ(Reg(0x090), 0xFFu);
    EXPECT_EQ(Reg(0x014), 0xABu);
    EXPECT_EQ(Reg(0x094), 0xABu);
    EXPECT_EQ(Reg(0x04C) & 0xE0, 0xE0u);
    EXPECT_EQ(Reg(0x0CC) & 0xE0, 0x00u);
    EXPECT_EQ(Reg(0x04C) & 0x1F, Reg(0x0CC) & 0x1F);
}

struct ScalingCase {
    int32_t hdelayX1;
    int32_t hactiveX1;
    int32_t hactive;
    int32_t vactive;
    int32_t lines;
    uint32_t hdelay;
    uint32_t hscale;
    uint32_t vscale;
};

uint32_t TenBits(uint32_t crop, int shift, uint32_t low) {
    return ((crop >> shift) & 3) << 8 | (low & 0xFF);
}

// Zero widths and line counts that would divide by zero scale nothing;
// products beyond 32 bits are kept to 16 bits of the 64-bit result.
TEST_F(DecoderRegistersTest, ScalingWithoutDivisionByZeroOrOverflow) {
    const ScalingCase cases[] = {
        {190, 914, 768, 622, 576, 160, 0x030B, 0x0EC},
        {190, 914, 768, 622, 311, 160, 0x030B, 0},
        {190, 914, 768, 622, -2, 160, 0x030B, 0},
        {190, 914, 768, 622, 0, 160, 0x030B, 0},
        {190, 0, 768, 622, 576, 0, 0xF000, 0x0EC},
        {190, 914, 0, 622, 576, 0, 0, 0x0EC},
        {2'000'000'001, 3, 768, 622, 576, 0x100, 0xF010, 0x0EC},
        {100, INT32_MAX, 768, 622, 576, 0, 0x9AA5, 0x0EC},
        {INT32_MIN, -7, 1023, 622, 576, 0x2492, 0xEFE4, 0x0EC},
        {-1000, INT32_MIN, 1023, 0, 1, 0, 0xCFF8, 0x200},
        {190, 914, 768, 1023, -1, 160, 0x030B, 0x100},
    };
    for (const ScalingCase& c : cases) {
        rig.card->SetSourceWindow(c.hdelayX1, c.hactiveX1, 2, c.vactive);
        rig.card->SetOutputSize(c.hactive, c.lines);
        const uint32_t crop = Reg(0x08C);
        EXPECT_EQ(TenBits(crop, 2, Reg(0x098)), c.hdelay & 0x3FF) << c.hdelayX1 << " " << c.lines;
        EXPECT_EQ(Reg(0x0A0) << 8 | Reg(0x0A4), c.hscale) << c.hactiveX1;
        EXPECT_EQ((Reg(0x0CC) & 0x1F) << 8 | Reg(0x0D0), c.vscale) << c.lines;
        EXPECT_EQ(Reg(0x00C), crop);
        EXPECT_EQ(Reg(0x018), Reg(0x098));
        EXPECT_EQ(Reg(0x020), Reg(0x0A0));
        EXPECT_EQ(Reg(0x024), Reg(0x0A4));
        EXPECT_EQ(Reg(0x04C), Reg(0x0CC));
        EXPECT_EQ(Reg(0x050), Reg(0x0D0));
    }
}

TEST_F(DecoderRegistersTest, GeometryIsReadFromTheRegistersFoundAtStart) {
    struct Case {
        uint32_t crop, hdelayLo, hactiveLo, vactiveLo, hscale, vscaleHi, vscaleLo;
        uint32_t hdelay, hscaleAfter, vscaleAfter;
    };
    const Case cases[] = {
        // The chip's reset state: 640 × 480 window, HSCALE 0x02AC, VSCALE 0.
        {0x12, 0x78, 0x80, 0xE0, 0x02AC, 0x60, 0x00, 120, 0x02AD, 0x100},
        // The engine's own configuration: the horizontal window comes back exactly.
        {0x23, 0xA0, 0x00, 0x6E, 0x030B, 0x00, 0xEC, 160, 0x030B, 0x103B},
        // VACTIVE 3 with VSCALE 0x1FFF derives zero output lines.
        {0x00, 0x10, 0x40, 0x03, 0x0000, 0x1F, 0xFF, 0x10, 0x0000, 0},
        // A negative horizontal scale.
        {0x03, 0x20, 0xFF, 0x00, 0x8000, 0x00, 0x00, 0x20, 0x8000, 0},
    };
    for (const Case& c : cases) {
        rig.card.reset();
        for (uint32_t odd : {0x08Cu, 0x00Cu}) {
            Set(odd, c.crop);
            Set(odd + 0x0C, c.hdelayLo);
            Set(odd + 0x10, c.hactiveLo);
            Set(odd + 0x08, c.vactiveLo);
            Set(odd + 0x14, c.hscale >> 8);
            Set(odd + 0x18, c.hscale & 0xFF);
            Set(odd + 0x40, c.vscaleHi);
            Set(odd + 0x44, c.vscaleLo);
        }
        rig.Build();
        EXPECT_EQ(TenBits(Reg(0x08C), 2, Reg(0x098)), c.hdelay) << std::hex << c.crop;
        EXPECT_EQ(Reg(0x0A0) << 8 | Reg(0x0A4), c.hscaleAfter) << std::hex << c.crop;
        EXPECT_EQ((Reg(0x0CC) & 0x1F) << 8 | Reg(0x0D0), c.vscaleAfter) << std::hex << c.crop;
        EXPECT_EQ(Reg(0x04C) & 0xE0, c.vscaleHi & 0xE0);
    }
}

TEST_F(DecoderRegistersTest, GpioFieldWrites) {
    struct Case {
        int32_t low;
        int32_t high;
        int32_t value;
        uint32_t before;
        uint32_t after;
    };
    const Case cases[] = {
        {0, 1, 3, 0xFFFF0000, 0xFFFF0003},           {0, 1, 0, 0xFFFFFFFF, 0xFFFFFFFC},
        {0, 1, 6, 0x00000000, 0x00000002},           {4, 7, 0xFF, 0x00000000, 0x000000F0},
        {0, 31, 0x12345678, 0xFFFFFFFF, 0x12345678}, {0, 31, -1, 0x00000000, 0xFFFFFFFF},
        {31, 31, 1, 0x00000000, 0x80000000},         {2, 1, 3, 0xAAAAAAAA, 0xAAAAAAAA},
        {-1, 3, 3, 0xAAAAAAAA, 0xAAAAAAAA},          {0, 32, 3, 0xAAAAAAAA, 0xAAAAAAAA},
        {32, 32, 1, 0xAAAAAAAA, 0xAAAAAAAA},
    };
    for (const Case& c : cases) {
        Set(0x200, c.before);
        rig.window.ClearLog();
        rig.card->WriteField(c.low, c.high, c.value);
        EXPECT_EQ(Reg(0x200), c.after) << c.low << ".." << c.high;
        if (c.before == c.after) {
            EXPECT_TRUE(rig.window.WritesTo(0x200).empty()) << c.low << ".." << c.high;
        }
    }
}

TEST_F(DecoderRegistersTest, OutputEnableAndBoardLines) {
    Set(0x118, 0xFFFFFFFF);
    rig.card->SetOutputEnable(0x0F);
    EXPECT_EQ(Reg(0x118), 0xFF00000Fu);
    Set(0x118, 0x00FFFFFF);
    Set(0x200, 0xFFFFFF00);
    rig.card->SetBoardLines(3);
    EXPECT_EQ(Reg(0x118), 0x0000000Fu);
    EXPECT_EQ(Reg(0x200), 0xFFFFFF03u);
    rig.card->SetBoardLines(6);
    EXPECT_EQ(Reg(0x200), 0xFFFFFF02u);
}

}  // namespace
