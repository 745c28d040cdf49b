#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "hardware/CaptureCard.h"
#include "support/FakeRegisterWindowScope.h"
#include "support/RecordingWarningBox.h"

namespace {

constexpr int64_t kIntermediate_hz = 38'871'250;
constexpr int64_t kDividerStep_hz = 62'500;

// The hardware layer's Tune over the emulated card's I2C lines, with the real
// clock: the emulated tuner acknowledges every byte, so a Tune never waits
// for a missing acknowledge and stays far below a frame's time.
TEST(TuneOnEmulatorTest, TuneReachesTheTunerWithItsDividerAndBandQuickly) {
    RecordingWarningBox warnings;
    FakeRegisterWindowScope windowScope;
    EmulatedCard emulated;
    CaptureCard card(emulated.Ports(), emulated.Driver());
    ASSERT_TRUE(card.IsPresent());
    card.SetBoardLines(3);

    struct Case {
        int32_t frequency_hz;
        uint8_t band;
    };
    const Case cases[] = {
        {41'000'000, 0xA1},  {160'000'000, 0xA1}, {160'000'001, 0x90}, {471'250'000, 0x30},
        {454'000'000, 0x90}, {454'062'500, 0x30}, {880'000'000, 0x30}, {183'300'000, 0x90},
    };
    std::vector<std::chrono::steady_clock::duration> durations;
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(card.Tune(c.frequency_hz), 1) << c.frequency_hz;
        durations.push_back(std::chrono::steady_clock::now() - start);
        const EmulatedChip::TunerState tuner = emulated.Chip(0).GetTunerState();
        const auto divider =
            static_cast<uint32_t>((c.frequency_hz + kIntermediate_hz) / kDividerStep_hz);
        EXPECT_EQ(tuner.divider, divider) << c.frequency_hz;
        EXPECT_EQ(tuner.carrier_hz, divider * kDividerStep_hz - kIntermediate_hz) << c.frequency_hz;
        EXPECT_EQ(tuner.controlByte, 0xCE) << c.frequency_hz;
        EXPECT_EQ(tuner.bandByte, c.band) << c.frequency_hz;
    }
    // The median, so one preemption on a busy machine doesn't decide.
    std::sort(durations.begin(), durations.end());
    const auto median = durations[durations.size() / 2];
    EXPECT_LT(median, std::chrono::milliseconds(10));
    auto ms = [](auto duration) {
        return std::chrono::duration<double, std::milli>(duration).count();
    };
    std::printf("Tune: median %.3f ms, slowest %.3f ms\n", ms(median), ms(durations.back()));

    // Out of range: nothing reaches the tuner.
    const uint32_t messages = emulated.Chip(0).GetTunerState().messages;
    EXPECT_EQ(card.Tune(40'999'999), 0);
    EXPECT_EQ(card.Tune(880'000'001), 0);
    EXPECT_EQ(emulated.Chip(0).GetTunerState().messages, messages);
    EXPECT_EQ(card.GetFrequency(), 183'300'000);
    EXPECT_TRUE(warnings.Messages().empty());
}

}  // namespace
