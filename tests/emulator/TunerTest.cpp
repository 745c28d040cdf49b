#include <gtest/gtest.h>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"
#include "support/EmulatorTestBus.h"

using namespace ChipRegisters;

namespace {

constexpr uint32_t kPresent = kDstatusPres | kDstatusHloc | kDstatusNuml;

TEST(TunerTest, DecodesDividerAndBandMessages) {
    struct Case {
        int64_t frequency_hz;
        uint8_t band;
        uint32_t divider;
    };
    const Case cases[] = {
        {41'000'000, 0xA1, 1'277},
        {182'000'000, 0x90, 3'533},
        {880'000'000, 0x30, 14'701},
    };
    EmulatedCard card;
    EmulatorTestBus bus(card.Chip(0));
    for (const Case& c : cases) {
        EXPECT_TRUE(bus.Tune(c.frequency_hz, c.band));
        EmulatedChip::TunerState state = card.Chip(0).GetTunerState();
        EXPECT_EQ(state.divider, c.divider);
        EXPECT_EQ(state.carrier_hz, int64_t{c.divider} * 62'500 - 38'871'250);
        EXPECT_EQ(state.bandByte, c.band);
        EXPECT_EQ(state.controlByte, 0xCE);
    }
    EXPECT_EQ(card.Chip(0).GetTunerState().messages, 6u);
}

TEST(TunerTest, PowersUpOnTheFirstStation) {
    EmulatedCard card;
    EmulatedChip::TunerState state = card.Chip(0).GetTunerState();
    EXPECT_LE(std::llabs(state.carrier_hz - card.StationCarrier_hz(0)), 62'500);
    EXPECT_EQ(card.Chip(0).read32(kDstatus) & kPresent, kPresent);
}

TEST(TunerTest, OtherAddressesAreNotAcknowledgedNorDecoded) {
    EmulatedCard card;
    EmulatorTestBus bus(card.Chip(0));
    uint32_t before = card.Chip(0).GetTunerState().divider;
    EXPECT_FALSE(bus.Message({0xC0, 0x10, 0x20}));
    EXPECT_FALSE(bus.Message({0xC3, 0x10, 0x20}));  // reads are not modelled
    EXPECT_EQ(card.Chip(0).GetTunerState().divider, before);
    EXPECT_TRUE(bus.Message({0xC2, 0x10, 0x20}));
    EXPECT_EQ(card.Chip(0).GetTunerState().divider, 0x1020u);
}

TEST(TunerTest, SlaveStateMachineWalksThroughAMessage) {
    using State = I2cTunerSlave::State;
    struct Case {
        std::initializer_list<uint8_t> bytes;
        std::vector<State> states;
    };
    const Case cases[] = {
        {{0xC2, 0x12},
         {State::Address, State::AddressAck, State::Data, State::DataAck, State::Data,
          State::Idle}},
        {{0xC0, 0x12}, {State::Address, State::NotAddressed, State::Idle}},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        std::vector<State> states;
        card.Chip(0).SetI2cTrace(
            [&states](State, I2cTunerSlave::Event, State to) { states.push_back(to); });
        EmulatorTestBus bus(card.Chip(0));
        bus.Message(c.bytes);
        EXPECT_EQ(states, c.states);
    }
}

// The acknowledge is the tuner pulling SDA low while the chip releases it: the
// register reads the wired-AND of both.
TEST(TunerTest, I2cRegisterReadsTheWiredAndOfChipAndTuner) {
    EmulatedCard card;
    RegisterWindow& window = card.Chip(0);
    EmulatorTestBus bus(window);
    bus.Start();
    for (int bit = 7; bit >= 0; --bit) {
        window.write32(kI2c, (0xC2 >> bit) & 1);
        window.write32(kI2c, kI2cScl | ((0xC2 >> bit) & 1));
    }
    window.write32(kI2c, 0);
    window.write32(kI2c, kI2cSda);
    EXPECT_EQ(window.read32(kI2c) & 3, 0u);  // chip releases SDA, tuner holds it
    window.write32(kI2c, kI2cSda | kI2cScl);
    EXPECT_EQ(window.read32(kI2c) & 3, kI2cScl);
    window.write32(kI2c, kI2cSda);
    EXPECT_EQ(window.read32(kI2c) & 3, kI2cSda);  // released after the acknowledge clock
}

// Stations sit at 55.25, 182.25, 224.25, 503.25 and 743.25 MHz; a tuning of
// f Hz puts the carrier at N x 62,500 - 38,871,250, 58.75 kHz below f.
TEST(TunerTest, StatusFollowsTheDistanceToTheNearestStation) {
    struct Case {
        int64_t frequency_hz;
        uint8_t band;
        uint32_t status;
    };
    const Case cases[] = {
        {55'000'000, 0xA1, kPresent},                     // 0.31 MHz off
        {56'000'000, 0xA1, kDstatusPres | kDstatusNuml},  // 0.69 MHz off
        {54'000'000, 0xA1, 0},                            // 1.31 MHz off
        {100'000'000, 0xA1, 0},                           // nothing there
        {55'000'000, 0x30, 0},                            // band doesn't cover it
        {182'000'000, 0x90, kPresent},
        {503'000'000, 0x30, kPresent},
        {743'000'000, 0x30, kPresent},
        {744'000'000, 0x30, kDstatusPres | kDstatusNuml},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        EmulatorTestBus bus(card.Chip(0));
        bus.Tune(c.frequency_hz, c.band);
        EXPECT_EQ(card.Chip(0).read32(kDstatus) & kPresent, 0u) << c.frequency_hz;  // settling
        card.AdvanceUs(TunerModule::kSettle_us);
        EXPECT_EQ(card.Chip(0).read32(kDstatus) & (kPresent | kDstatusLof), c.status)
            << c.frequency_hz;
    }
}

TEST(TunerTest, AScanInWholeMegahertzFindsEveryStationOnce) {
    EmulatedCard card;
    EmulatorTestBus bus(card.Chip(0));
    int found = 0;
    for (int64_t mhz = 41; mhz < 880; ++mhz) {
        int64_t frequency = mhz * 1'000'000;
        bus.Tune(frequency, TunerModule::BandFor(frequency));
        card.AdvanceUs(100'000);
        if ((card.Chip(0).read32(kDstatus) & kPresent) == kPresent) {
            ++found;
        }
    }
    EXPECT_EQ(found, 5);
}

TEST(TunerTest, NothingReceivedGivesSnowWithoutStructure) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    EmulatorTestBus bus(card.Chip(0));
    bus.Tune(100'000'000, 0xA1);
    rig.StartEngineCapture();
    rig.FinishPass();
    const uint8_t* s = rig.Capture();
    int edges = 0;
    for (uint32_t line = 0; line < 100; ++line) {
        const uint8_t* edge = s + 2248 + 2268 * line;
        edges += (edge[0] + edge[1] + edge[2] + edge[3] == 256) ? 1 : 0;
    }
    EXPECT_LT(edges, 3);
}

TEST(TunerTest, OtherInputsHaveNothingConnected) {
    EmulatedCard card("camera");
    RegisterWindow& window = card.Chip(0);
    EXPECT_EQ(window.read32(kDstatus) & kPresent, kPresent);
    window.write32(kIform, (window.read32(kIform) & ~kIformMuxselMask) | 1u << kIformMuxselShift);
    EXPECT_EQ(window.read32(kDstatus) & kPresent, 0u);
}

}  // namespace
