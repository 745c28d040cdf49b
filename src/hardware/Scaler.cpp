#include "hardware/Scaler.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

using namespace bt848;

// All window arithmetic runs in 64 bits: the window values are plain 32-bit
// integers from the callers and from whatever the registers held at start, and
// their products overflow 32 bits long before they stop making sense.
namespace {

constexpr int64_t kHscaleUnit = 8'192;
constexpr int64_t kVscaleUnit = 512;
constexpr int64_t kGeometryUnit = 4'096;
constexpr int64_t kVscaleTotal = 8'704;
constexpr uint32_t kHalfWordMask = 0xFFFF;
constexpr uint32_t kVscaleMask = 0x1FFF;

int64_t TenBitValue(uint32_t crop, Field msb, uint32_t lowRegister) {
    return int64_t{msb.Extract(crop) << 8 | ReadRegisterField(lowRegister, kLowByte)};
}

}  // namespace

void Scaler::ReadGeometry() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint32_t crop = ReadRegister(kOCrop);
    const uint32_t hscale =
        ReadRegisterField(kOHscaleHi, kLowByte) << 8 | ReadRegisterField(kOHscaleLo, kLowByte);
    const int64_t k = int64_t{static_cast<int16_t>(hscale)} + kGeometryUnit;
    const int64_t half = kGeometryUnit / 2;
    hdelayX1_ =
        static_cast<int32_t>((TenBitValue(crop, kCropHdelayMsb, kOHdelayLo) * k + half) >> 12);
    hactiveX1_ =
        static_cast<int32_t>((TenBitValue(crop, kCropHactiveMsb, kOHactiveLo) * k + half) >> 12);
    const int64_t vscale = int64_t{ReadRegisterField(kOVscaleHi, kVscaleMsb) << 8 |
                                   ReadRegisterField(kOVscaleLo, kLowByte)};
    const int64_t vactive = TenBitValue(crop, kCropVactiveMsb, kOVactiveLo);
    // VSCALE is at most 0x1FFF, so the divisor is at least 513.
    outputLines_ = static_cast<int32_t>(
        vscale == 0 ? vactive : vactive * kVscaleUnit / (kVscaleTotal - vscale) - 2);
    ApplyScaling();
}

void Scaler::ApplyScaling() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const uint32_t crop = ReadRegister(kOCrop);
    const int64_t hactive = TenBitValue(crop, kCropHactiveMsb, kOHactiveLo);
    const int64_t vactive = TenBitValue(crop, kCropVactiveMsb, kOVactiveLo);

    const uint32_t hdelay = HorizontalDelay(hactive);
    WriteRegister(kOCrop, kCropHdelayMsb.Insert(crop, hdelay >> 8));
    WriteRegisterField(kECrop, kCropHdelayMsb, ReadRegisterField(kOCrop, kCropHdelayMsb));
    WriteMirroredField(kOHdelayLo, kEHdelayLo, kLowByte, hdelay);

    const uint32_t hscale = HorizontalScale(hactive);
    WriteMirroredField(kOHscaleHi, kEHscaleHi, kLowByte, hscale >> 8);
    WriteMirroredField(kOHscaleLo, kEHscaleLo, kLowByte, hscale);

    const uint32_t vscale = VerticalScale(vactive);
    WriteMirroredField(kOVscaleHi, kEVscaleHi, kVscaleMsb, vscale >> 8);
    WriteMirroredField(kOVscaleLo, kEVscaleLo, kLowByte, vscale);
}

void Scaler::SetSourceWindow(int32_t hdelayX1, int32_t hactiveX1, int32_t vdelay, int32_t vactive) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    hdelayX1_ = hdelayX1;
    hactiveX1_ = hactiveX1;
    const auto vactiveBits = static_cast<uint32_t>(vactive);
    WriteMirroredField(kOCrop, kECrop, kCropVactiveMsb, vactiveBits >> 8);
    WriteMirroredField(kOVactiveLo, kEVactiveLo, kLowByte, vactiveBits);
    // The vertical delay goes into the even field first.
    const auto vdelayBits = static_cast<uint32_t>(vdelay);
    WriteMirroredField(kECrop, kOCrop, kCropVdelayMsb, vdelayBits >> 8);
    WriteMirroredField(kEVdelayLo, kOVdelayLo, kLowByte, vdelayBits);
    ApplyScaling();
}

void Scaler::SetOutputSize(int32_t hactive, int32_t lines) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    const auto hactiveBits = static_cast<uint32_t>(hactive);
    WriteMirroredField(kOCrop, kECrop, kCropHactiveMsb, hactiveBits >> 8);
    WriteMirroredField(kOHactiveLo, kEHactiveLo, kLowByte, hactiveBits);
    outputLines_ = lines;
    ApplyScaling();
}

uint32_t Scaler::HorizontalDelay(int64_t hactive) const {
    if (hactiveX1_ == 0) {
        return 0;
    }
    const int64_t scaled = int64_t{hdelayX1_} * hactive * 2 / hactiveX1_;
    return static_cast<uint32_t>((scaled + 1) >> 1) & kHalfWordMask;
}

uint32_t Scaler::HorizontalScale(int64_t hactive) const {
    if (hactive == 0) {
        return 0;
    }
    const int64_t ratio = int64_t{hactiveX1_} * kHscaleUnit / hactive;
    return static_cast<uint32_t>((ratio - (kHscaleUnit - 1)) >> 1) & kHalfWordMask;
}

uint32_t Scaler::VerticalScale(int64_t vactive) const {
    // 0 can come from ReadGeometry on odd start-up contents; it would divide
    // by zero, and scaling to nothing means no scaling, as -2 does.
    if (outputLines_ == 0 || outputLines_ == -2 || outputLines_ == (vactive >> 1)) {
        return 0;
    }
    const int64_t ratio = vactive * kVscaleUnit / outputLines_;
    return static_cast<uint32_t>(kVscaleUnit - ((ratio + 1) >> 1)) & kVscaleMask;
}
