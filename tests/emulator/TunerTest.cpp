#include <gtest/gtest.h>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"
#include "support/EmulatorTestBus.h"

using namespace ChipRegisters;

namespace {

constexpr uint32_t kPresent = kDstatusPres | kDstatusHloc;
// Off-centre: the signal without line lock, and its noise overloading the ADC.
constexpr uint32_t kNoisy = kDstatusPres | kDstatusLof;

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

// Until the program tunes, nothing is received: snow, and no signal status.
TEST(TunerTest, PowersUpUntuned) {
    EmulatedCard card;
    EmulatorCaptureRig rig(card);
    rig.StartEngineCapture();
    EmulatedChip::TunerState state = card.Chip(0).GetTunerState();
    EXPECT_EQ(state.divider, 0u);
    EXPECT_EQ(state.bandByte, 0u);
    EXPECT_EQ(rig.Read(kDstatus) & (kDstatusPres | kDstatusHloc), 0u);
    int edges = 0;  // lines with the lock edge where a picture has it
    for (uint32_t line = 0; line < 100; ++line) {
        const uint8_t* edge = rig.Capture() + 2248 + 2268 * line;
        edges += (edge[0] + edge[1] + edge[2] + edge[3] == 256) ? 1 : 0;
    }
    EXPECT_LT(edges, 3);

    rig.TuneStation(0);
    card.AdvanceUs(TunerModule::kSettle_us);
    EXPECT_EQ(rig.Read(kDstatus) & kPresent, kPresent);
}

// The control byte's ratio-select bits set the divider's step; the program's
// 0xCE selects 62.5 kHz.
TEST(TunerTest, ControlByteSetsTheStepSize) {
    struct Case {
        uint8_t control;
        int64_t carrier_hz;
    };
    const Case cases[] = {
        {0xCE, 8'000 * 62'500 - 38'871'250},
        {0xC8, 8'000 * 50'000 - 38'871'250},
        {0xCA, 8'000 * 31'250 - 38'871'250},
        {0xCC, int64_t{8'000} * 500'000 / 3 - 38'871'250},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        EmulatorTestBus bus(card.Chip(0));
        bus.Message({0xC2, 8'000 >> 8, 8'000 & 0xFF});
        bus.Message({0xC2, c.control, 0x30});
        EXPECT_EQ(card.Chip(0).GetTunerState().carrier_hz, c.carrier_hz) << int{c.control};
    }
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
        {55'000'000, 0xA1, kPresent},  // 0.31 MHz off
        {56'000'000, 0xA1, kNoisy},    // 0.69 MHz off
        {54'000'000, 0xA1, 0},         // 1.31 MHz off
        {100'000'000, 0xA1, 0},        // nothing there
        {55'000'000, 0x30, 0},         // band doesn't cover it
        {182'000'000, 0x90, kPresent}, {503'000'000, 0x30, kPresent},
        {743'000'000, 0x30, kPresent}, {744'000'000, 0x30, kNoisy},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        EmulatorCaptureRig rig(card);
        rig.StartClock();
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
    EmulatorCaptureRig rig(card);
    rig.StartClock();
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
    EmulatorCaptureRig rig(card);
    rig.ConfigureRawCapture();
    rig.StartClock();
    RegisterWindow& window = card.Chip(0);
    EXPECT_EQ(window.read32(kDstatus) & kPresent, kPresent);
    window.write32(kIform, (window.read32(kIform) & ~kIformMuxselMask) | 1u << kIformMuxselShift);
    EXPECT_EQ(window.read32(kDstatus) & kPresent, 0u);
}

}  // namespace
