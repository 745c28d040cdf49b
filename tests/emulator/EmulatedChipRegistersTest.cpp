#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"
#include "support/ManualClock.h"

using namespace ChipRegisters;

namespace {

using Access = RegisterAccessLog::Access;
using Kind = RegisterAccessLog::Kind;

constexpr uint64_t kPalRate_hz = 35'438'456;  // the engine's PLL setting, read back
constexpr uint64_t kLine_us = 64;

TEST(EmulatedChipRegistersTest, PlainRegistersKeepTheirWritableBits) {
    struct Case {
        uint32_t offset;
        uint32_t reset;
        uint32_t written;
        uint32_t readBack;
    };
    const Case cases[] = {
        {kIform, 0x58, 0xFFFF'FF1B, 0x1B},
        {kTdec, 0x00, 0xFF, 0x7F},  // DEC_FIELD is read only
        {kVtotalHi, 0x00, 0xFF, 0x03},
        {kColorFmt, 0x00, 0xEE, 0xEE},
        {kTest, 0x01, 0xEF, 0xEF},
        {kI2c, 0x03, 0x01, 0x01},
        {kRiscStrtAdd, 0, 0x1234'5678, 0x1234'5678},
        {kGpioData, 0x00, 0xFFFF'FFFF, 0x00FF'FFFF},
    };
    EmulatedCard card;
    RegisterWindow& window = card.Chip(0);
    for (const Case& c : cases) {
        EXPECT_EQ(window.read32(c.offset), c.reset) << std::hex << c.offset;
        window.write32(c.offset, c.written);
        EXPECT_EQ(window.read32(c.offset), c.readBack) << std::hex << c.offset;
    }
    EXPECT_EQ(card.Chip(0).GetDiagnostics().driverErrors, 0u);
    EXPECT_EQ(card.Chip(0).GetDiagnostics().notModelled, 0u);
}

TEST(EmulatedChipRegistersTest, ByteWritesChangeOneLane) {
    EmulatedCard card;
    RegisterWindow& window = card.Chip(0);
    window.write32(kGpioData, 0x0012'3456);
    window.write8(kGpioData + 1, 0xAB);
    EXPECT_EQ(window.read32(kGpioData), 0x0012'AB56u);
    window.write8(kI2c, 0);
    EXPECT_EQ(window.read32(kI2c) & 3, 0u);
}

TEST(EmulatedChipRegistersTest, NotModelledIsCountedApartFromDriverErrors) {
    EmulatedCard card;
    RegisterWindow& window = card.Chip(0);
    EXPECT_EQ(window.read32(kSreset), 0u);
    window.write32(0xFFC, 1);
    EmulatedChip::Diagnostics diagnostics = card.Chip(0).GetDiagnostics();
    EXPECT_EQ(diagnostics.notModelled, 2u);
    EXPECT_EQ(diagnostics.lastNotModelledOffset, 0xFFCu);
    EXPECT_EQ(diagnostics.driverErrors, 0u);

    window.write32(kDstatus, 0);                     // resets the held bits: a driver may
    EXPECT_EQ(window.read32(0x102), 0xFFFF'FFFFu);   // misaligned
    EXPECT_EQ(window.read32(0x1000), 0xFFFF'FFFFu);  // outside the window
    window.write8(0x1000, 1);
    window.write32(kFcap, 9);  // read only
    EXPECT_EQ(window.read32(kFcap), 0u);
    EXPECT_EQ(card.Chip(0).GetDiagnostics().driverErrors, 4u);
    EXPECT_EQ(card.Chip(0).GetDiagnostics().notModelled, 2u);
}

// TGCKI picks the PLL or the crystal path, XTSEL the crystal input; the card
// has its crystal on XT0, and the PLL stands in for XT1.
TEST(EmulatedChipRegistersTest, DecoderClockFollowsTgckiXtselAndThePll) {
    struct Case {
        const char* what;
        uint32_t tgcki, xtsel, xci, high, low;
        uint64_t rate_hz;
    };
    const Case cases[] = {
        {"PLL, XT1", kTgckiPll, kXtselXt1, 0x8E, 0xD9, 0xB4, kPalRate_hz},
        {"PLL, auto", kTgckiPll, kXtselAuto, 0x8E, 0xD9, 0xB4, kPalRate_hz},
        {"PLL_C set", kTgckiPll, kXtselXt1, 0x4A, 0xAA, 0xAB, 76'363'663},
        {"PLL_X clear", kTgckiPll, kXtselXt1, 0x0C, 0x00, 0x00, 57'272'720},
        {"PLL far too slow", kTgckiPll, kXtselXt1, 0x80, 0x00, 0x10, 0},
        {"PLL, XT0: the crystal", kTgckiPll, kXtselXt0, 0x8E, 0xD9, 0xB4, 28'636'360},
        {"crystal XT0", kTgckiXtal, kXtselXt0, 0x8E, 0xD9, 0xB4, 28'636'360},
        {"crystal XT1: none fitted", kTgckiXtal, kXtselXt1, 0x8E, 0xD9, 0xB4, 0},
        {"GPCLK: nothing drives it", kTgckiGpclk, kXtselXt1, 0x8E, 0xD9, 0xB4, 0},
        {"reserved XTSEL", kTgckiPll, 0, 0x8E, 0xD9, 0xB4, 0},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        RegisterWindow& window = card.Chip(0);
        window.write32(kIform, 0x40 | c.xtsel << kIformXtselShift | kFormatPalBdghi);
        window.write32(kPllXci, c.xci);
        window.write32(kPllFHi, c.high);
        window.write32(kPllFLo, c.low);
        window.write32(kTgctrl, c.tgcki << kTgctrlTgckiShift);
        card.AdvanceUs(ChipPll::kLockTime_us);
        EXPECT_EQ(card.Chip(0).SampleRate_hz(), c.rate_hz) << c.what;
    }
    EmulatedCard card;
    card.Chip(0).write32(kIform, 0x40);
    card.AdvanceUs(1);
    EXPECT_STREQ(card.Chip(0).GetDiagnostics().lastUnmodelled, "clock selection");
}

// PLOCK set means out of lock: after a new setting, until the PLL has locked.
// Steps as small as the software lock's keep the lock.
TEST(EmulatedChipRegistersTest, PllTakesItsLockTimeAndPlockMeansOutOfLock) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    auto plock = [&] { return (rig.Read(kDstatus) & kDstatusPlock) != 0; };
    EXPECT_FALSE(plock());  // off: DSTATUS is 0 after reset
    rig.Write(kPllXci, 0x8E);
    rig.Write(kPllFHi, 0xD9);
    rig.Write(kPllFLo, 0xB4);
    rig.Write(kTgctrl, kTgckiPll << kTgctrlTgckiShift);
    card.AdvanceUs(1);
    EXPECT_TRUE(plock());
    EXPECT_LT(card.Chip(0).SampleRate_hz(), kPalRate_hz * 96 / 100);  // slewing up
    rig.Write(kDstatus, 0);  // the state now: writing doesn't hide it
    card.AdvanceUs(ChipPll::kLockTime_us - 2);
    EXPECT_TRUE(plock());
    card.AdvanceUs(1);
    EXPECT_FALSE(plock());
    EXPECT_EQ(card.Chip(0).SampleRate_hz(), kPalRate_hz);

    rig.Write(kPllFLo, 0xB5);  // 37 Hz: followed at once
    EXPECT_FALSE(plock());
    EXPECT_EQ(card.Chip(0).SampleRate_hz(), 35'438'493u);
    rig.Write(kPllXci, 0x8F);  // 2.4 MHz away: a new lock
    EXPECT_TRUE(plock());
    card.AdvanceUs(ChipPll::kLockTime_us);
    EXPECT_FALSE(plock());
}

TEST(EmulatedChipRegistersTest, CrystalErrorMovesEveryClockByAsMuch) {
    struct Case {
        const char* options;
        uint64_t pll_hz;
    };
    const Case cases[] = {
        {"", kPalRate_hz},
        {"crystal=+40ppm", 35'439'873},
        {"crystal=-12.5ppm", 35'438'015},
    };
    for (const Case& c : cases) {
        EmulatedCard card(c.options);
        EmulatorCaptureRig rig(card);
        rig.StartClock();
        EXPECT_EQ(card.Chip(0).SampleRate_hz(), c.pll_hz) << c.options;
    }
    for (const char* bad : {"crystal=40", "crystal=ppm", "crystal=+4000ppm", "crystal=4x0ppm"}) {
        EXPECT_THROW(EmulatedCard::ParseOptions(bad), std::invalid_argument) << bad;
    }
}

// A frame of 625 lines: an even field of 313 lines, an odd one of 312. FCAP
// counts the fields that end with capture enabled for them.
TEST(EmulatedChipRegistersTest, FieldBitAndCounterFollowTheTimingGenerator) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.ConfigureRawCapture();
    card.AdvanceUs(100'000);
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusField, 0u);  // no clock: the generator stands still

    rig.StartClock();
    rig.Write(kCapCtl, kCapCtlCaptureOdd);
    rig.NextEvenField();
    const uint32_t start = rig.Read(kFcap);
    struct Phase {
        uint64_t after_us;
        bool even;
        uint32_t fields;
    };
    const Phase phases[] = {
        {313 * kLine_us - 200, true, 0},  {400, false, 0},
        {312 * kLine_us - 400, false, 0}, {400, true, 1},
        {313 * kLine_us, false, 1},
    };
    for (const Phase& p : phases) {
        card.AdvanceUs(p.after_us);
        EXPECT_EQ((rig.Read(kDstatus) & kDstatusField) != 0, p.even) << p.after_us;
        EXPECT_EQ(rig.Read(kFcap) - start, p.fields) << p.after_us;
    }
    rig.Write(kCapCtl, kCapCtlCaptureEven | kCapCtlCaptureOdd);
    card.AdvanceUs(10'000'000);
    EXPECT_EQ((rig.Read(kFcap) - start) % 256, (1u + 500u) % 256);
}

// Changing the total in mid-field moves that field's end by whole lines; a
// total already passed ends the field at the next line boundary.
TEST(EmulatedChipRegistersTest, TotalLinesMoveFieldEndsByWholeLines) {
    struct Case {
        const char* what;
        uint64_t changeAt_lines;  // into the even field
        uint32_t totalLines;
        uint64_t evenField_lines;
        uint64_t after_us;  // looked at 160 us before the end and this long later
    };
    const Case cases[] = {
        {"625", 100, 625, 313, 200},
        {"627: ceil(627 / 2)", 100, 627, 314, 200},
        {"623", 100, 623, 312, 200},
        // Then fields of a line each: looked at before the next one ends.
        {"1 after 100 lines: the next line", 100, 1, 101, 100},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        EmulatorCaptureRig rig(card);
        rig.StartClock();
        rig.Write(kCapCtl, kCapCtlCaptureEven);
        rig.NextEvenField();  // within 100 us of the field's start
        const uint32_t count = rig.Read(kFcap);
        card.AdvanceUs(c.changeAt_lines * kLine_us);
        rig.SetTotalLines(c.totalLines);
        const int64_t toEnd_us =
            static_cast<int64_t>((c.evenField_lines - c.changeAt_lines) * kLine_us) - 160;
        card.AdvanceUs(static_cast<uint64_t>(std::max<int64_t>(0, toEnd_us)));
        EXPECT_EQ(rig.Read(kFcap), count) << c.what;
        card.AdvanceUs(c.after_us);
        EXPECT_EQ(rig.Read(kFcap), count + 1) << c.what;
    }
}

// LOF holds until a 0 is written to it; NUML follows the line count seen for
// 32 fields in a row and keeps it when the signal goes.
TEST(EmulatedChipRegistersTest, HeldStatusBitsAndTheLineStandard) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
    EmulatorTestBus bus(card.Chip(0));
    bus.Tune(56'000'000, 0xA1);  // off-centre: noisy
    card.AdvanceUs(TunerModule::kSettle_us + 1'000);
    EXPECT_EQ(rig.Read(kDstatus) & (kDstatusLof | kDstatusNuml), kDstatusLof);
    bus.Tune(100'000'000, 0xA1);  // nothing there
    card.AdvanceUs(TunerModule::kSettle_us + 1'000);
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusLof, kDstatusLof);
    rig.Write(kDstatus, ~kDstatusLof);
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusLof, 0u);

    rig.TuneStation(0);
    card.AdvanceUs(25 * 20'000);
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusNuml, 0u);
    card.AdvanceUs(10 * 20'000);
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusNuml, kDstatusNuml);
    bus.Tune(100'000'000, 0xA1);
    card.AdvanceUs(1'000'000);
    EXPECT_EQ(rig.Read(kDstatus) & (kDstatusNuml | kDstatusPres), kDstatusNuml);
}

TEST(EmulatedChipRegistersTest, AccessLogRecordsEveryAccessInOrder) {
    EmulatedCard card;
    RegisterWindow& window = card.Chip(0);
    window.write32(kTest, 0x22);  // before the log starts
    card.Chip(0).StartAccessLog();
    window.write32(kColorFmt, 0xEE);
    window.read32(kColorFmt);
    window.write8(kI2c, 0);
    window.read32(0x1000);
    const std::vector<Access> expected = {
        {Kind::Write32, kColorFmt, 0xEE},
        {Kind::Read, kColorFmt, 0xEE},
        {Kind::Write8, kI2c, 0},
        {Kind::Read, 0x1000, 0xFFFF'FFFF},
    };
    EXPECT_EQ(card.Chip(0).TakeAccessLog(), expected);
    window.read32(kTest);
    EXPECT_EQ(card.Chip(0).TakeAccessLog(), (std::vector<Access>{{Kind::Read, kTest, 0x22}}));
}

TEST(EmulatedChipRegistersTest, FollowingTheClockAdvancesOnRegisterAccess) {
    ManualClock clock;
    ScopedClock installed(clock);
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
    rig.Write(kCapCtl, 3);
    card.FollowCurrentClock();
    const uint32_t start = rig.Read(kFcap);
    clock.SleepMs(1'000);
    EXPECT_NEAR(rig.Read(kFcap) - start, 50u, 1u);
}

// With a stepped clock the real-time thread's 2 ms sleeps step the clock, so
// emulated time races ahead without any real wait.
TEST(EmulatedChipRegistersTest, RealTimeThreadAdvancesTheModelUntilStopped) {
    ManualClock clock;
    ScopedClock installed(clock);
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
    rig.Write(kCapCtl, 3);
    card.StartRealTime();
    card.StartRealTime();  // a second start is ignored
    uint32_t fields = 0;
    for (int poll = 0; poll < 1'000'000 && fields < 10; ++poll) {
        fields = rig.Read(kFcap);
    }
    card.StopRealTime();
    EXPECT_GE(fields, 10u);
    uint64_t stoppedAt_us = clock.Microseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(clock.Microseconds(), stoppedAt_us);  // nobody steps the clock any more
    card.StopRealTime();
}

}  // namespace
