// The whole configuration and stop sequences of a real CaptureEngine on the
// emulated chip, from the chip's log of register accesses, order included.
// Offsets and field values are written out as the chip's register map gives
// them, not taken from the program's register header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/EngineRig.h"

namespace {

using Access = RegisterAccessLog::Access;
using Kind = RegisterAccessLog::Kind;

// One register write: its offset and the bits it must leave; a mask of 0
// takes any value (an intermediate result of the scaler's arithmetic).
struct Write {
    uint32_t offset;
    uint32_t mask;
    uint32_t value;
};

constexpr uint32_t kTgctrl = 0x084;
constexpr uint32_t kRiscStrtAdd = 0x114;
constexpr uint32_t kI2c = 0x110;
constexpr uint32_t kAnyAddress = 0xFFFF'FFFF;  // stands for the program's address

// SetSourceWindow's own fields, then ApplyScaling's twelve writes, the odd
// field's register before the even one's each time.
std::vector<Write> SourceWindowWrites() {
    return {{0x08C, 0x30, 0x20}, {0x00C, 0x30, 0x20}, {0x094, 0xFF, 0x6E}, {0x014, 0xFF, 0x6E},
            {0x00C, 0xC0, 0x00}, {0x08C, 0xC0, 0x00}, {0x010, 0xFF, 0x02}, {0x090, 0xFF, 0x02},
            {0x08C, 0, 0},       {0x00C, 0, 0},       {0x098, 0, 0},       {0x018, 0, 0},
            {0x0A0, 0, 0},       {0x020, 0, 0},       {0x0A4, 0, 0},       {0x024, 0, 0},
            {0x0CC, 0, 0},       {0x04C, 0, 0},       {0x0D0, 0, 0},       {0x050, 0, 0}};
}

// SetOutputSize(768, 576): HACTIVE, then the scaling it implies: HDELAY 160,
// HSCALE 0x030B, VSCALE 0x0EC, both CROPs 0x23.
std::vector<Write> OutputSizeWrites() {
    return {{0x08C, 0x03, 0x03}, {0x00C, 0x03, 0x03}, {0x09C, 0xFF, 0x00}, {0x01C, 0xFF, 0x00},
            {0x08C, 0xFF, 0x23}, {0x00C, 0xFF, 0x23}, {0x098, 0xFF, 160},  {0x018, 0xFF, 160},
            {0x0A0, 0xFF, 0x03}, {0x020, 0xFF, 0x03}, {0x0A4, 0xFF, 0x0B}, {0x024, 0xFF, 0x0B},
            {0x0CC, 0x1F, 0x00}, {0x04C, 0x1F, 0x00}, {0x0D0, 0xFF, 0xEC}, {0x050, 0xFF, 0xEC}};
}

std::vector<Write> ConfigurationWrites() {
    std::vector<Write> writes = {
        {0x004, 0x18, 0x10},    // IFORM XTSEL: XT1
        {0x0F8, 0x80, 0x80},    // PLL_XCI PLL_X
        {0x0F8, 0x40, 0x00},    // PLL_C
        {0x0F8, 0xFF, 0x8E},    // PLL_I
        {0x0F0, 0xFF, 0xB4},    // PLL_F_LO
        {0x0F4, 0xFF, 0xD9},    // PLL_F_HI
        {kTgctrl, 0x18, 0x08},  // TGCKI: the PLL
        {0x004, 0x60, 0x40},    // MUXSEL 2
        {0x004, 0x7F, 0x53},    // FORMAT 3: PAL B, D, G, H, I
        {0x0AC, 0x40, 0x00},    // O_CONTROL COMP
        {0x02C, 0x40, 0x00},    // E_CONTROL COMP
        {0x008, 0x40, 0x40},    // TDEC FLDALIGN
        {0x008, 0x7F, 0x40},    // DEC_RAT 0
    };
    for (const std::vector<Write>& part : {SourceWindowWrites(), OutputSizeWrites()}) {
        writes.insert(writes.end(), part.begin(), part.end());
    }
    const std::vector<Write> rest = {
        {0x0B4, 0x03, 0x02},  // VTOTAL_HI: 624 ...
        {0x0B0, 0xFF, 0x70},  // ... VTOTAL_LO
        {0x0D4, 0xF0, 0xE0},  // COLOR_FMT odd: raw
        {0x0D4, 0xFF, 0xEE},  // even: raw
        {0x054, 0xFF, 0xEF},  // TEST
        {0x0E4, 0x02, 0x02},  // VBI_PACK_DEL EXT_FRAME
        {0x0DC, 0x02, 0x00},  // CAP_CTL odd off ...
        {0x0DC, 0x03, 0x00},  // ... even off
        {kRiscStrtAdd, 0xFFFF'FFFF, kAnyAddress},
        {0x10C, 0x02, 0x02},  // GPIO_DMA_CTL RISC_ENABLE
        {0x10C, 0x03, 0x03},  // FIFO_ENABLE
        {0x0DC, 0x02, 0x02},  // CAP_CTL odd ...
        {0x0DC, 0x03, 0x03},  // ... and even
    };
    writes.insert(writes.end(), rest.begin(), rest.end());
    return writes;
}

const std::vector<Write> kStopWrites = {
    {0x054, 0xFF, 0x01},                       // TEST
    {0x0B4, 0x03, 0x00},                       // VTOTAL 0 ...
    {0x0B0, 0xFF, 0x00}, {0x0DC, 0x02, 0x00},  // capture off
    {0x0DC, 0x03, 0x00}, {0x10C, 0x03, 0x02},  // FIFO off
    {0x10C, 0x03, 0x00},                       // DMA controller off
};

std::vector<Access> WritesOf(const std::vector<Access>& log) {
    std::vector<Access> writes;
    for (const Access& access : log) {
        if (access.kind != Kind::Read && access.offset != kI2c) {
            writes.push_back(access);
        }
    }
    return writes;
}

// Every write but the whole-word start address is a read-modify-write: the
// register was read since it was last written.
void ExpectReadModifyWrites(const std::vector<Access>& log) {
    std::vector<bool> readSinceWrite(0x1000 / 4, true);
    for (size_t i = 0; i < log.size(); ++i) {
        const Access& access = log[i];
        if (access.kind == Kind::Read) {
            readSinceWrite[access.offset / 4] = true;
            continue;
        }
        if (access.offset != kRiscStrtAdd && access.offset != kI2c) {
            EXPECT_TRUE(readSinceWrite[access.offset / 4])
                << "write " << i << " to 0x" << std::hex << access.offset;
        }
        readSinceWrite[access.offset / 4] = false;
    }
}

void ExpectWrites(const std::vector<Access>& log, const std::vector<Write>& expected,
                  uint32_t programAddress) {
    const std::vector<Access> writes = WritesOf(log);
    ASSERT_EQ(writes.size(), expected.size());
    for (size_t i = 0; i < writes.size(); ++i) {
        const Write& want = expected[i];
        const uint32_t value = want.value == kAnyAddress ? programAddress : want.value;
        EXPECT_EQ(writes[i].kind, Kind::Write32) << i;
        EXPECT_EQ(writes[i].offset, want.offset) << "write " << i;
        EXPECT_EQ(writes[i].value & want.mask, value & want.mask)
            << "write " << i << " to 0x" << std::hex << want.offset;
    }
}

uint32_t StartAddressIn(const std::vector<Access>& log) {
    for (const Access& access : log) {
        if (access.kind == Kind::Write32 && access.offset == kRiscStrtAdd) {
            return access.value;
        }
    }
    return 0;
}

TEST(EngineRegisterSequenceTest, ConstructionConfiguresTheChipInTheDocumentedOrder) {
    EngineRig rig;
    EmulatedChip& chip = rig.emulated.Chip(0);
    chip.StartAccessLog();
    rig.Start();
    std::vector<Access> log = chip.TakeAccessLog();
    // Up to the first write of the start-up tune.
    log.erase(
        std::find_if(log.begin(), log.end(), [](const Access& a) { return a.offset == kI2c; }),
        log.end());

    const uint32_t program = StartAddressIn(log);
    ExpectWrites(log, ConfigurationWrites(), program);
    ExpectReadModifyWrites(log);

    // The program stood in memory before the DMA controller was enabled.
    uint32_t first = 0;
    std::memcpy(&first, rig.emulated.Memory().Translate(program, 4), 4);
    EXPECT_EQ(first, 0x8000'8004u);

    EXPECT_EQ(rig.emulated.Chip(0).GetDiagnostics().driverErrors, 0u);
    EXPECT_EQ(rig.emulated.Chip(0).GetDiagnostics().notModelled, 0u);
}

TEST(EngineRegisterSequenceTest, DestructionStopsTheChipInTheDocumentedOrder) {
    EngineRig rig;
    rig.Start();
    rig.RunFrames(2);
    EmulatedChip& chip = rig.emulated.Chip(0);
    chip.StartAccessLog();
    rig.Stop();
    const std::vector<Access> log = chip.TakeAccessLog();
    ExpectWrites(log, kStopWrites, 0);
    ExpectReadModifyWrites(log);
    EXPECT_EQ(rig.emulated.Chip(0).DmaState(), DmaEngine::State::Stopped);
}

}  // namespace
