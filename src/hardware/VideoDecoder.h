#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// The decoder's status bits, input and format selection, the sampling clock
// (the chip's PLL), the total line count and the test register. Results
// marked bit are 0 or 1; codes are masked to their field widths.
class VideoDecoder {
public:
    // The PLL's reference: the 28.63636 MHz crystal.
    static constexpr int64_t kPllReference_hz = 28'636'360;

    virtual ~VideoDecoder() = default;

    // DSTATUS NUML (bit): 1 for a 625-line signal.
    int Is625Lines();
    // DSTATUS HLOC (bit).
    int IsHLocked();
    // DSTATUS PRES (bit).
    int IsVideoPresent();
    // The whole DSTATUS byte, for records of what the chip reported.
    uint32_t ReadStatus();

    // IFORM MUXSEL := code & 3.
    void SelectInput(int code);
    // IFORM FORMAT := code & 7.
    void SetVideoFormat(int code);
    // IFORM XTSEL := code & 3.
    void SelectCrystal(int code);
    // TGCTRL TGCKI := code & 3.
    void SetTimingClock(int code);

    // Programs the PLL for an output of `frequency_hz`. Any value is accepted;
    // the register fields get the masked results.
    void SetPllFrequency(int32_t frequency_hz);
    // The frequency the PLL registers actually give, in Hz (it differs from
    // the value asked for by the fraction's rounding).
    int32_t GetPllFrequency();

    // COMP of both fields := bit 0 of `flag` (0: composite input).
    void SetComponentVideo(int flag);

    // VTOTAL := lines - 1, masked to 10 bits.
    void SetTotalLines(int lines);
    // VTOTAL + 1.
    int GetTotalLines();

    // TEST := value & 0xFF.
    void SetTestControl(int value);

private:
    int ReadStatusBit(uint32_t bit);

    Mutex mutex_{"VideoDecoder", LockRank::kCardInterface};
};
