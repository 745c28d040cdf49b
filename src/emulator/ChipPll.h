#pragma once

#include <cstdint>

// The chip's PLL: multiplies the card's crystal on XT0 by the ratio its
// registers give, f = ((I << 16 | F) x crystal >> 16) / D with D = (PLL_C ? 4 :
// 6) x (PLL_X ? 2 : 1). The crystal may be off its nominal 28,636,360 Hz by
// the card's error.
//
// A new setting more than kTrackRange away from the last one (or the first
// one) drops the lock for kLockTime_us; meanwhile the output slews up to the
// new frequency from kUnlockedShortfall below it. Smaller steps, such as the
// software lock's, are followed at once without losing lock. Below
// kMinOutput_hz the PLL counts as off.
class ChipPll {
public:
    static constexpr uint64_t kLockTime_us = 40'000;
    static constexpr uint64_t kMinOutput_hz = 10'000'000;
    static constexpr uint64_t kTrackRangeDivisor = 200;        // 0.5 %
    static constexpr uint64_t kUnlockedShortfallDivisor = 20;  // 5 %

    explicit ChipPll(int64_t crystalError_ppb = 0);

    // The card's crystal, error included.
    uint64_t Crystal_hz() const { return crystal_hz_; }

    // The PLL registers now hold these values (time `now_us`).
    void Program(uint32_t xci, uint32_t fHi, uint32_t fLo, uint64_t now_us);

    bool IsOn() const { return target_hz_ != 0; }
    bool IsLocked(uint64_t now_us) const { return IsOn() && now_us >= lockedAt_us_; }

    // The output at `now_us`; 0 while the PLL is off.
    uint64_t Output_hz(uint64_t now_us) const;

private:
    uint64_t crystal_hz_;
    uint64_t target_hz_ = 0;
    uint64_t lockedAt_us_ = 0;
};
