// The engine's configuration and stop sequences, checked register by register
// after every step. Offsets and masks are written out as the chip's register
// map gives them, independently of the program's register header.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeCaptureCardRig.h"

namespace {

struct RegisterExpectation {
    uint32_t offset;
    uint32_t mask;
    uint32_t value;
};

struct Step {
    std::string name;
    std::function<void(CaptureCard&)> run;
    std::vector<RegisterExpectation> expected;
};

// Junk in the upper bytes: every write must be a read-modify-write.
constexpr uint32_t kUpperJunk = 0xC3000000;

// Register contents before configuration, roughly the chip's reset state, with
// the fields the sequence sets holding something else.
const std::vector<std::pair<uint32_t, uint32_t>> kStartState = {
    {0x004, 0x18}, {0x008, 0x05}, {0x00C, 0x12}, {0x08C, 0x12}, {0x010, 0x16}, {0x090, 0x16},
    {0x014, 0xE0}, {0x094, 0xE0}, {0x018, 0x78}, {0x098, 0x78}, {0x01C, 0x80}, {0x09C, 0x80},
    {0x020, 0x02}, {0x0A0, 0x02}, {0x024, 0xAC}, {0x0A4, 0xAC}, {0x02C, 0x60}, {0x0AC, 0x60},
    {0x04C, 0x60}, {0x0CC, 0x60}, {0x050, 0x00}, {0x0D0, 0x00}, {0x054, 0x01}, {0x084, 0x00},
    {0x0B0, 0x00}, {0x0B4, 0x00}, {0x0D4, 0x00}, {0x0DC, 0x03}, {0x0E4, 0x00}, {0x0F0, 0x00},
    {0x0F4, 0x00}, {0x0F8, 0x00}, {0x10C, 0x00}, {0x114, 0x00},
};

// Everything the configuration, start and stop may write (the I2C and GPIO
// registers are written by the card's own set-up and the panel).
const std::set<uint32_t> kWritable = {
    0x004, 0x008, 0x00C, 0x010, 0x014, 0x018, 0x01C, 0x020, 0x024, 0x02C, 0x04C, 0x050,
    0x054, 0x084, 0x08C, 0x090, 0x094, 0x098, 0x09C, 0x0A0, 0x0A4, 0x0AC, 0x0B0, 0x0B4,
    0x0CC, 0x0D0, 0x0D4, 0x0DC, 0x0E4, 0x0F0, 0x0F4, 0x0F8, 0x10C, 0x114,
};

class CaptureSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [offset, value] : kStartState) {
            rig.window.Poke(offset, kUpperJunk | value);
        }
        rig.Build();
        capture.size = 691'200;
        program.size = 7'168;
        rig.card->AllocateBuffer(capture);
        rig.card->AllocateBuffer(program);
        rig.window.ClearLog();
    }

    void RunAndCheck(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            step.run(*rig.card);
            for (const RegisterExpectation& e : step.expected) {
                EXPECT_EQ(rig.window.Peek(e.offset) & e.mask, e.value)
                    << "after " << step.name << ", register 0x" << std::hex << e.offset;
            }
        }
    }

    FakeCaptureCardRig rig;
    PhysBuffer capture;
    PhysBuffer program;
};

std::vector<Step> ConfigurationSteps(const PhysBuffer& program) {
    return {
        {"SelectCrystal(2)", [](CaptureCard& c) { c.SelectCrystal(2); }, {{0x004, 0xFF, 0x10}}},
        {"SetPllFrequency(35438450)",
         [](CaptureCard& c) { c.SetPllFrequency(35'438'450); },
         {{0x0F8, 0xFF, 0x8E}, {0x0F4, 0xFF, 0xD9}, {0x0F0, 0xFF, 0xB4}}},
        {"SetTimingClock(1)", [](CaptureCard& c) { c.SetTimingClock(1); }, {{0x084, 0xFF, 0x08}}},
        {"SelectInput(2)", [](CaptureCard& c) { c.SelectInput(2); }, {{0x004, 0xFF, 0x50}}},
        {"SetVideoFormat(3)", [](CaptureCard& c) { c.SetVideoFormat(3); }, {{0x004, 0xFF, 0x53}}},
        {"SetComponentVideo(0)",
         [](CaptureCard& c) { c.SetComponentVideo(0); },
         {{0x02C, 0xFF, 0x20}, {0x0AC, 0xFF, 0x20}}},
        {"SetFieldAlign(1)", [](CaptureCard& c) { c.SetFieldAlign(1); }, {{0x008, 0xFF, 0x45}}},
        {"SetDecimation(0)", [](CaptureCard& c) { c.SetDecimation(0); }, {{0x008, 0xFF, 0x40}}},
        {"SetSourceWindow(190, 914, 2, 622)",
         [](CaptureCard& c) { c.SetSourceWindow(190, 914, 2, 622); },
         {{0x010, 0xFF, 2},
          {0x090, 0xFF, 2},
          {0x014, 0xFF, 0x6E},
          {0x094, 0xFF, 0x6E},
          {0x00C, 0xF0, 0x20},
          {0x08C, 0xF0, 0x20}}},
        {"SetOutputSize(768, 576)",
         [](CaptureCard& c) { c.SetOutputSize(768, 576); },
         {{0x00C, 0xFF, 0x23},
          {0x08C, 0xFF, 0x23},
          {0x01C, 0xFF, 0x00},
          {0x09C, 0xFF, 0x00},
          {0x018, 0xFF, 160},
          {0x098, 0xFF, 160},
          {0x020, 0xFF, 0x03},
          {0x0A0, 0xFF, 0x03},
          {0x024, 0xFF, 0x0B},
          {0x0A4, 0xFF, 0x0B},
          {0x04C, 0xFF, 0x60},
          {0x0CC, 0xFF, 0x60},
          {0x050, 0xFF, 0xEC},
          {0x0D0, 0xFF, 0xEC}}},
        {"SetTotalLines(625)",
         [](CaptureCard& c) { c.SetTotalLines(625); },
         {{0x0B4, 0xFF, 0x02}, {0x0B0, 0xFF, 0x70}}},
        {"SetColorFormat(14)", [](CaptureCard& c) { c.SetColorFormat(14); }, {{0x0D4, 0xFF, 0xEE}}},
        {"SetTestControl(239)",
         [](CaptureCard& c) { c.SetTestControl(239); },
         {{0x054, 0xFF, 0xEF}}},
        {"SetExtendedFrame(1)",
         [](CaptureCard& c) { c.SetExtendedFrame(1); },
         {{0x0E4, 0xFF, 0x02}}},
        {"SetCapture(0)", [](CaptureCard& c) { c.SetCapture(0); }, {{0x0DC, 0xFF, 0x00}}},
        {"SetRiscStart(program)",
         [&program](CaptureCard& c) { c.SetRiscStart(program.physical); },
         {{0x114, 0xFFFFFFFF, program.physical}}},
        {"SetRiscEnable(1)", [](CaptureCard& c) { c.SetRiscEnable(1); }, {{0x10C, 0xFF, 0x02}}},
        {"SetFifoEnable(1)", [](CaptureCard& c) { c.SetFifoEnable(1); }, {{0x10C, 0xFF, 0x03}}},
        {"SetCapture(1)", [](CaptureCard& c) { c.SetCapture(1); }, {{0x0DC, 0xFF, 0x03}}},
    };
}

std::vector<Step> StopSteps() {
    return {
        {"SetTestControl(1)", [](CaptureCard& c) { c.SetTestControl(1); }, {{0x054, 0xFF, 0x01}}},
        {"SetTotalLines(1)",
         [](CaptureCard& c) { c.SetTotalLines(1); },
         {{0x0B4, 0xFF, 0x00}, {0x0B0, 0xFF, 0x00}}},
        {"SetCapture(0)", [](CaptureCard& c) { c.SetCapture(0); }, {{0x0DC, 0xFF, 0x00}}},
        {"SetFifoEnable(0)", [](CaptureCard& c) { c.SetFifoEnable(0); }, {{0x10C, 0xFF, 0x02}}},
        {"SetRiscEnable(0)", [](CaptureCard& c) { c.SetRiscEnable(0); }, {{0x10C, 0xFF, 0x00}}},
    };
}

TEST_F(CaptureSequenceTest, ConfigurationLeavesTheDocumentedRegisterState) {
    RunAndCheck(ConfigurationSteps(program));
    EXPECT_EQ(rig.card->GetPllFrequency(), 35'438'456);
    EXPECT_EQ(rig.card->GetTotalLines(), 625);
}

TEST_F(CaptureSequenceTest, ConfigurationWritesOnlyItsRegistersAndKeepsTheirOtherBits) {
    RunAndCheck(ConfigurationSteps(program));
    for (uint32_t offset : rig.window.WrittenOffsets()) {
        EXPECT_TRUE(kWritable.count(offset)) << "wrote 0x" << std::hex << offset;
        if (offset != 0x114) {
            EXPECT_EQ(rig.window.Peek(offset) & 0xFF000000, kUpperJunk)
                << "upper bits of 0x" << std::hex << offset;
        }
    }
}

TEST_F(CaptureSequenceTest, StopSequenceSwitchesCaptureOffAndFreesProgramBufferFirst) {
    RunAndCheck(ConfigurationSteps(program));
    RunAndCheck(StopSteps());
    uint8_t* const programLinear = program.linear;
    uint8_t* const captureLinear = capture.linear;
    rig.card->FreeBuffer(program);
    rig.card->FreeBuffer(capture);

    const auto& calls = rig.driver.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].linear, programLinear);
    EXPECT_EQ(calls.back().linear, captureLinear);
    EXPECT_EQ(rig.driver.BuffersHeld(), 0u);
    for (const PhysBuffer& buffer : {program, capture}) {
        EXPECT_EQ(buffer.linear, nullptr);
        EXPECT_EQ(buffer.physical, 0u);
        EXPECT_EQ(buffer.size, 0u);
    }
}

}  // namespace
