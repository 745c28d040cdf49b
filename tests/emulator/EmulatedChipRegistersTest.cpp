#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"
#include "support/ManualClock.h"

using namespace ChipRegisters;

namespace {

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

    EXPECT_EQ(window.read32(0x102), 0xFFFF'FFFFu);   // misaligned
    EXPECT_EQ(window.read32(0x1000), 0xFFFF'FFFFu);  // outside the window
    window.write8(0x1000, 1);
    window.write32(kFcap, 9);  // read only
    EXPECT_EQ(window.read32(kFcap), 0u);
    EXPECT_EQ(card.Chip(0).GetDiagnostics().driverErrors, 4u);
    EXPECT_EQ(card.Chip(0).GetDiagnostics().notModelled, 2u);
}

TEST(EmulatedChipRegistersTest, SampleRateFollowsThePllRegisters) {
    struct Case {
        uint32_t xci, high, low, tgcki;
        uint64_t rate_hz;
    };
    const Case cases[] = {
        {0x8E, 0xD9, 0xB4, 1, 35'438'456},  // the engine's 35,438,450 Hz
        {0x4A, 0xAA, 0xAB, 1, 76'363'663},  // PLL_C set
        {0x0C, 0x00, 0x00, 1, 57'272'720},  // PLL_X clear
        {0x8C, 0x92, 0x49, 1, 29'999'990},
        {0x8E, 0xD9, 0xB4, 0, 0},  // timing generator not on the PLL
        {0x80, 0x00, 0x10, 1, 0},  // far too slow to run
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        RegisterWindow& window = card.Chip(0);
        window.write32(kPllXci, c.xci);
        window.write32(kPllFHi, c.high);
        window.write32(kPllFLo, c.low);
        window.write32(kTgctrl, c.tgcki << kTgctrlTgckiShift);
        EXPECT_EQ(card.Chip(0).SampleRate_hz(), c.rate_hz) << std::hex << c.xci;
    }
}

TEST(EmulatedChipRegistersTest, FieldCounterAndFieldBitFollowTheTimingGenerator) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    EXPECT_EQ(rig.Read(kFcap), 0u);
    card.AdvanceUs(100'000);
    EXPECT_EQ(rig.Read(kFcap), 0u);  // no PLL clock yet: the generator stands still
    EXPECT_EQ(rig.Read(kDstatus) & kDstatusField, 0u);

    rig.StartClock();
    card.AdvanceUs(5'000);  // 35,438,456 Hz / (625 x 1,134) = 50 fields a second
    const bool expectedEven[] = {true, false, true, false, true};
    for (bool even : expectedEven) {
        EXPECT_EQ((rig.Read(kDstatus) & kDstatusField) != 0, even);
        card.AdvanceUs(20'000);
    }
    EXPECT_EQ(rig.Read(kFcap), 5u);
    card.AdvanceUs(10'000'000);
    EXPECT_EQ(rig.Read(kFcap), (5u + 500u) % 256);
}

TEST(EmulatedChipRegistersTest, TotalLinesTakeEffectAtTheNextField) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
    card.AdvanceUs(1'000);
    rig.SetTotalLines(1);  // fields of half a line from the next field on
    card.AdvanceUs(18'000);
    EXPECT_EQ(rig.Read(kFcap), 0u);
    card.AdvanceUs(1'000);  // the current field ends at 20 ms
    EXPECT_EQ(rig.Read(kFcap), 1u);
    card.AdvanceUs(1'000);  // 32 us fields
    EXPECT_EQ(rig.Read(kFcap), 1u + 31u);
}

TEST(EmulatedChipRegistersTest, FollowingTheClockAdvancesOnRegisterAccess) {
    ManualClock clock;
    ScopedClock installed(clock);
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
    card.AdvanceUs(1);
    card.FollowCurrentClock();
    EXPECT_EQ(rig.Read(kFcap), 0u);
    clock.SleepMs(1'000);
    EXPECT_EQ(rig.Read(kFcap), 50u);
}

// With a stepped clock the real-time thread's 2 ms sleeps step the clock, so
// emulated time races ahead without any real wait.
TEST(EmulatedChipRegistersTest, RealTimeThreadAdvancesTheModelUntilStopped) {
    ManualClock clock;
    ScopedClock installed(clock);
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartClock();
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
