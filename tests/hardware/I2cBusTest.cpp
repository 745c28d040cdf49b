// The I2C bus and the tuner at line level: what a slave on the chip's I2C
// lines sees, and what waiting for it costs on a stepped clock.
#include <chrono>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "hardware/MicrosecondClock.h"
#include "hardware/Tuner.h"
#include "support/FakeI2cTuner.h"
#include "support/FakeMicrosecondClock.h"
#include "support/FakeRegisterWindow.h"
#include "support/FakeRegisterWindowScope.h"

namespace {

using Width = FakeRegisterWindow::Width;
constexpr uint32_t kI2c = 0x110;
constexpr uint64_t kLineWait_us = 500'000;
// Clock reads between the end of a wait and the next one: a few steps.
constexpr uint64_t kSlack_us = 50;

class I2cBusTest : public ::testing::Test {
protected:
    explicit I2cBusTest(FakeI2cTuner::Acknowledge acknowledge = FakeI2cTuner::Acknowledge::Yes)
        : device(acknowledge) {
        window.AttachI2cDevice(&device);
        tuner.ResetBus();
        device.ClearRecord();
        window.ClearLog();
    }

    std::vector<uint32_t> LineWrites() const {
        std::vector<uint32_t> values;
        for (const auto& write : window.WritesTo(kI2c)) {
            values.push_back(write.value);
        }
        return values;
    }

    template <typename Action>
    uint64_t Elapsed_us(Action action) {
        const uint64_t start_us = clock.Peek_us();
        action();
        return clock.Peek_us() - start_us;
    }

    FakeMicrosecondClock clock;
    FakeRegisterWindow window;
    FakeRegisterWindowScope scope{&window};
    FakeI2cTuner device;
    Tuner tuner;
};

class SilentI2cBusTest : public I2cBusTest {
protected:
    SilentI2cBusTest() : I2cBusTest(FakeI2cTuner::Acknowledge::No) {}
};

// As at card set-up, with a line image of 0.
TEST_F(I2cBusTest, ResetBusPullsBothLinesLowThenSendsStartAndStop) {
    Tuner fresh;
    fresh.ResetBus();
    const std::vector<FakeRegisterWindow::Write> expected = {
        {kI2c, 0, Width::Byte}, {kI2c, 1, Width::Word}, {kI2c, 3, Width::Word},
        {kI2c, 2, Width::Word}, {kI2c, 0, Width::Word}, {kI2c, 0, Width::Word},
        {kI2c, 0, Width::Word}, {kI2c, 2, Width::Word}, {kI2c, 3, Width::Word},
    };
    EXPECT_EQ(window.Writes(), expected);
    EXPECT_EQ(device.Conditions(), "SP");
}

TEST_F(I2cBusTest, StartAndStopConditions) {
    tuner.Start();
    EXPECT_EQ(LineWrites(), (std::vector<uint32_t>{3, 3, 2, 0}));
    EXPECT_EQ(device.Conditions(), "S");
    window.ClearLog();
    tuner.Stop();
    EXPECT_EQ(LineWrites(), (std::vector<uint32_t>{0, 0, 2, 3}));
    EXPECT_EQ(device.Conditions(), "SP");
    EXPECT_EQ(window.Peek(kI2c) & 3, 3u);
}

TEST_F(SilentI2cBusTest, ByteGoesOutMostSignificantBitFirstThenANinthClockWithSdaReleased) {
    tuner.Start();
    tuner.WriteByte(0xA5);
    EXPECT_EQ(device.SdaOnClockPulses(), (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1, 1}));
}

TEST_F(I2cBusTest, AcknowledgingSlaveHoldsSdaLowOnTheNinthClock) {
    tuner.Start();
    tuner.WriteByte(0xA5);
    tuner.WriteByte(0x3C);
    tuner.Stop();
    EXPECT_EQ(device.SdaOnClockPulses(),
              (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(device.Messages(), (std::vector<std::vector<uint8_t>>{{0xA5, 0x3C}}));
}

TEST_F(I2cBusTest, EveryLineChangeSettlesTenMicroseconds) {
    tuner.Start();
    const uint64_t byte_us = Elapsed_us([&] { tuner.WriteByte(0xFF); });
    EXPECT_GE(byte_us, 28 * I2cBus::kSettle_us);
    EXPECT_LT(byte_us, 28 * I2cBus::kSettle_us + kSlack_us * 4);
}

TEST(MicrosecondClockTest, DelayEndsOnceTheTimeHasPassed) {
    {
        FakeMicrosecondClock clock(3);
        const uint64_t start_us = clock.Peek_us();
        DelayMicroseconds(100);
        EXPECT_GE(clock.Peek_us() - start_us, 100u);
        EXPECT_LE(clock.Peek_us() - start_us, 106u);
    }
    // The real clock counts whole microseconds: the wait may start late in one.
    const auto start = std::chrono::steady_clock::now();
    DelayMicroseconds(300);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(299));
}

struct BandEdge {
    int32_t frequency_hz;
    uint16_t divider;
    uint8_t band;
};

TEST_F(I2cBusTest, TunerSendsDividerThenControlAndBandAtEveryBandEdge) {
    const BandEdge edges[] = {
        {41'000'000, 0x04FD, 0xA1},  {160'000'000, 0x0C6D, 0xA1}, {160'000'001, 0x0C6D, 0x90},
        {454'000'000, 0x1ECD, 0x90}, {454'000'001, 0x1ECD, 0x30}, {880'000'000, 0x396D, 0x30},
    };
    for (const BandEdge& edge : edges) {
        device.ClearRecord();
        EXPECT_EQ(tuner.Tune(edge.frequency_hz), 1);
        const std::vector<std::vector<uint8_t>> expected = {
            {0xC2, static_cast<uint8_t>(edge.divider >> 8), static_cast<uint8_t>(edge.divider)},
            {0xC2, 0xCE, edge.band},
        };
        EXPECT_EQ(device.Messages(), expected) << edge.frequency_hz;
        EXPECT_EQ(device.Conditions(), "SPSP") << edge.frequency_hz;
        EXPECT_EQ(tuner.GetFrequency(), edge.frequency_hz);
        EXPECT_EQ(window.Peek(kI2c) & 3, 3u) << "bus left idle";
    }
}

TEST_F(I2cBusTest, RejectedFrequenciesSendNothingAndKeepTheFrequency) {
    EXPECT_EQ(tuner.GetFrequency(), 0);
    ASSERT_EQ(tuner.Tune(100'000'000), 1);
    for (int32_t frequency_hz : {40'999'999, 880'000'001, 0, -1, INT32_MIN, INT32_MAX}) {
        window.ClearLog();
        device.ClearRecord();
        EXPECT_EQ(tuner.Tune(frequency_hz), 0) << frequency_hz;
        EXPECT_EQ(window.AccessCount(), 0u) << frequency_hz;
        EXPECT_TRUE(device.Conditions().empty()) << frequency_hz;
        EXPECT_EQ(tuner.GetFrequency(), 100'000'000);
    }
}

TEST_F(SilentI2cBusTest, MissingAcknowledgeCostsOneLineWaitAndTheByteStillGoesOut) {
    tuner.Start();
    const uint64_t byte_us = Elapsed_us([&] { tuner.WriteByte(0xC2); });
    EXPECT_GE(byte_us, kLineWait_us);
    EXPECT_LE(byte_us, kLineWait_us + 28 * I2cBus::kSettle_us + kSlack_us * 4);
    tuner.Stop();
    EXPECT_EQ(device.Messages(), (std::vector<std::vector<uint8_t>>{{0xC2}}));
}

TEST_F(SilentI2cBusTest, TuneWithoutATunerWaitsOncePerByteAndStillSendsBothMessages) {
    const uint64_t tune_us = Elapsed_us([&] { EXPECT_EQ(tuner.Tune(41'000'000), 1); });
    EXPECT_GE(tune_us, 6 * kLineWait_us);
    EXPECT_LE(tune_us, 6 * kLineWait_us + 200 * I2cBus::kSettle_us + kSlack_us * 40);
    EXPECT_EQ(device.Messages(),
              (std::vector<std::vector<uint8_t>>{{0xC2, 0x04, 0xFD}, {0xC2, 0xCE, 0xA1}}));
    EXPECT_EQ(tuner.GetFrequency(), 41'000'000);
}

TEST_F(I2cBusTest, ClockHeldLowEndsTheWaitAfterHalfASecond) {
    tuner.SetScl(0);
    device.SetClockLine(FakeI2cTuner::ClockLine::HeldLow);
    const uint64_t rise_us = Elapsed_us([&] { tuner.SetScl(1); });
    EXPECT_GE(rise_us, kLineWait_us + I2cBus::kSettle_us);
    EXPECT_LE(rise_us, kLineWait_us + I2cBus::kSettle_us + kSlack_us);
    EXPECT_EQ(window.Peek(kI2c) & 2, 2u) << "the master released SCL all the same";
}

}  // namespace
