#pragma once

#include <cstdint>

#include "emulator/TimingGenerator.h"

// What the chip's video path delivers into the FIFO for one capture-enabled
// field, from the registers that shape it. The model knows one way to make
// data, the raw-frame mode with the sampling clock from the PLL: the field's
// raw samples, sync and blanking included, as a continuous stream cut into
// packets of 256 DWORDs (1,024 samples), not aligned with the lines. The
// packets begin VDELAY half lines after the field starts (VDELAY must be 2)
// and number 674 for a 625-line format, 450 for a 525-line one; without
// EXT_FRAME the first ten lines are left out (650 and 434 packets).
//
// Any other setting of the colour format, the test register, the component
// input bit, temporal decimation, VDELAY or the clock would make the chip
// deliver something the model cannot produce: the plan then names it and
// delivers nothing. The scaler and cropping registers other than VDELAY do
// not shape raw-frame data.
class FieldCapture {
public:
    static constexpr uint32_t kPacketBytes = 1024;
    static constexpr uint32_t kPacketsExtended625 = 674;
    static constexpr uint32_t kPacketsExtended525 = 450;
    static constexpr uint32_t kLinesLeftOutWithoutExtension = 10;
    static constexpr uint32_t kPacketsLeftOut625 = 24;  // 674 - 650
    static constexpr uint32_t kPacketsLeftOut525 = 16;  // 450 - 434
    static constexpr uint32_t kRequiredVdelay = 2;
    // The test register's value under which the model gives raw samples.
    static constexpr uint32_t kRawTestValue = 0xEF;

    // The registers of the field's half of the map (E_ or O_), and the shared ones.
    struct Registers {
        uint32_t iform;
        uint32_t tdec;
        uint32_t crop;
        uint32_t vdelayLo;
        uint32_t control;
        uint32_t colorFmt;
        uint32_t test;
        uint32_t vbiPackDel;
    };

    struct Plan {
        uint32_t packets = 0;
        uint64_t start_samples = 0;         // from the field's start
        const char* notModelled = nullptr;  // why nothing comes, when the model can't tell
    };

    static Plan Evaluate(const Registers& registers, TimingGenerator::Field field, bool clockIsPll);
};
