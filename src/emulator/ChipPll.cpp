#include "emulator/ChipPll.h"

#include "emulator/ChipRegisters.h"

using namespace ChipRegisters;

namespace {

__extension__ using Int128 = __int128;

}  // namespace

ChipPll::ChipPll(int64_t crystalError_ppb)
    : crystal_hz_(static_cast<uint64_t>(
          int64_t(kPllReference_hz) +
          static_cast<int64_t>(Int128(kPllReference_hz) * crystalError_ppb / 1'000'000'000))) {}

void ChipPll::Program(uint32_t xci, uint32_t fHi, uint32_t fLo, uint64_t now_us) {
    const uint64_t n = (uint64_t{xci & kPllIMask} << 16) | ((fHi & 0xFF) << 8) | (fLo & 0xFF);
    const uint64_t divisor = ((xci & kPllC) ? 4 : 6) * ((xci & kPllX) ? 2 : 1);
    uint64_t output = ((n * crystal_hz_) >> 16) / divisor;
    if (output < kMinOutput_hz) {
        output = 0;
    }
    const uint64_t step = output > target_hz_ ? output - target_hz_ : target_hz_ - output;
    if (output != 0 && (target_hz_ == 0 || step * kTrackRangeDivisor > target_hz_)) {
        lockedAt_us_ = now_us + kLockTime_us;
    }
    target_hz_ = output;
}

uint64_t ChipPll::Output_hz(uint64_t now_us) const {
    if (!IsOn() || now_us >= lockedAt_us_) {
        return target_hz_;
    }
    const uint64_t shortfall = target_hz_ / kUnlockedShortfallDivisor;
    return target_hz_ - shortfall * (lockedAt_us_ - now_us) / kLockTime_us;
}
