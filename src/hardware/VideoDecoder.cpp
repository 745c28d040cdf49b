#include "hardware/VideoDecoder.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

using namespace bt848;

namespace {

constexpr int64_t kPllFractionUnit = 65'536;
// Below this output the PLL runs at twice the frequency (PLL_X, a divider by 2).
constexpr int64_t kPllDoublingLimit_hz = 57'272'720;
// From this (doubled) frequency on, the post-divider is 4 instead of 6 (PLL_C).
constexpr int64_t kPllDivideBy4From_hz = 76'363'626;

struct PllSetting {
    uint32_t x;
    uint32_t c;
    uint32_t integer;
    uint32_t fraction;
};

// Computed in 64 bits: the products overflow 32 bits for large or negative
// requests, and the registers only take the masked results anyway.
//
// The multiplier is rounded as a whole, in units of 1/65,536, so that a
// fraction that rounds up to a full unit carries into the integer part.
// Rounding the fraction alone would leave it at 0 with the integer part one
// too small: a request just below a multiple of the reference would come out
// several MHz low.
PllSetting ComputePll(int32_t frequency_hz) {
    PllSetting setting{};
    int64_t b = frequency_hz;
    setting.x = b < kPllDoublingLimit_hz ? 1 : 0;
    if (setting.x) {
        b *= 2;
    }
    setting.c = b >= kPllDivideBy4From_hz ? 1 : 0;
    const int64_t m = b * (setting.c ? 4 : 6);
    const int64_t reference = VideoDecoder::kPllReference_hz;
    const int64_t multiplier = (m * kPllFractionUnit + reference / 2) / reference;
    setting.integer = static_cast<uint32_t>(multiplier / kPllFractionUnit);
    setting.fraction = static_cast<uint32_t>(multiplier % kPllFractionUnit);
    return setting;
}

}  // namespace

int VideoDecoder::Is625Lines() {
    return ReadStatusBit(kNuml.shift);
}

int VideoDecoder::IsHLocked() {
    return ReadStatusBit(kHloc.shift);
}

int VideoDecoder::IsVideoPresent() {
    return ReadStatusBit(kPres.shift);
}

uint32_t VideoDecoder::ReadStatus() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return ReadRegister(kDstatus) & 0xFFu;
}

int VideoDecoder::ReadStatusBit(uint32_t bit) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return static_cast<int>((ReadRegister(kDstatus) >> bit) & 1u);
}

void VideoDecoder::SelectInput(int code) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kIform, kMuxsel, static_cast<uint32_t>(code));
}

void VideoDecoder::SetVideoFormat(int code) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kIform, kFormat, static_cast<uint32_t>(code));
}

void VideoDecoder::SelectCrystal(int code) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kIform, kXtsel, static_cast<uint32_t>(code));
}

void VideoDecoder::SetTimingClock(int code) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kTgctrl, kTgcki, static_cast<uint32_t>(code));
}

void VideoDecoder::SetPllFrequency(int32_t frequency_hz) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const PllSetting setting = ComputePll(frequency_hz);
    WriteRegisterField(kPllXci, kPllX, setting.x);
    WriteRegisterField(kPllXci, kPllC, setting.c);
    WriteRegisterField(kPllXci, kPllI, setting.integer);
    WriteRegisterField(kPllFLo, kLowByte, setting.fraction);
    WriteRegisterField(kPllFHi, kLowByte, setting.fraction >> 8);
}

int32_t VideoDecoder::GetPllFrequency() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint32_t xci = ReadRegister(kPllXci);
    const uint64_t n = (uint64_t{kPllI.Extract(xci)} << 16) |
                       (uint64_t{ReadRegisterField(kPllFHi, kLowByte)} << 8) |
                       ReadRegisterField(kPllFLo, kLowByte);
    const uint64_t divider = (kPllC.Extract(xci) ? 4u : 6u) * (kPllX.Extract(xci) ? 2u : 1u);
    const uint64_t frequency_hz = ((n * kPllReference_hz) >> 16) / divider;
    return static_cast<int32_t>(static_cast<uint32_t>(frequency_hz));
}

void VideoDecoder::SetComponentVideo(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteMirroredField(kOControl, kEControl, kComp, static_cast<uint32_t>(flag));
}

void VideoDecoder::SetTotalLines(int lines) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint32_t vtotal = static_cast<uint32_t>(lines) - 1u;
    WriteRegisterField(kVtotalHi, kVtotalMsb, vtotal >> 8);
    WriteRegisterField(kVtotalLo, kLowByte, vtotal);
}

int VideoDecoder::GetTotalLines() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint32_t vtotal =
        (ReadRegisterField(kVtotalHi, kVtotalMsb) << 8) | ReadRegisterField(kVtotalLo, kLowByte);
    return static_cast<int>(vtotal) + 1;
}

void VideoDecoder::SetTestControl(int value) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kTest, kLowByte, static_cast<uint32_t>(value));
}
