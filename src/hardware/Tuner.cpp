#include "hardware/Tuner.h"

#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

namespace {

constexpr uint8_t kWriteAddress = 0xC2;
constexpr uint8_t kControlByte = 0xCE;
constexpr int64_t kIntermediateFrequency_hz = 38'871'250;
constexpr int64_t kDividerStep_hz = 62'500;

struct Band {
    int32_t highest_hz;
    uint8_t code;
};

constexpr Band kBands[] = {
    {160'000'000, 0xA1},
    {454'000'000, 0x90},
    {Tuner::kHighestFrequency_hz, 0x30},
};

// The band byte for an accepted frequency, or 0 when it is out of range.
uint8_t BandCode(int32_t frequency_hz) {
    if (frequency_hz < Tuner::kLowestFrequency_hz) {
        return 0;
    }
    for (const Band& band : kBands) {
        if (frequency_hz <= band.highest_hz) {
            return band.code;
        }
    }
    return 0;
}

}  // namespace

// The range is checked before the divider is formed, so the sum with the
// intermediate frequency is only ever taken for frequencies that fit.
int Tuner::Tune(int32_t frequency_hz) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint8_t band = BandCode(frequency_hz);
    if (band == 0) {
        return 0;
    }
    const auto divider =
        static_cast<uint32_t>((frequency_hz + kIntermediateFrequency_hz) / kDividerStep_hz);
    frequency_hz_ = frequency_hz;
    SendMessage(static_cast<uint8_t>(divider >> 8), static_cast<uint8_t>(divider));
    SendMessage(kControlByte, band);
    return 1;
}

int32_t Tuner::GetFrequency() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return frequency_hz_;
}

void Tuner::SendMessage(uint8_t first, uint8_t second) {
    Start();
    WriteByte(kWriteAddress);
    WriteByte(first);
    WriteByte(second);
    Stop();
}
