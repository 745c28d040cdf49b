#pragma once

#include <cstdint>

// The Bt848-family register map, as far as this program uses it: byte offsets
// into the 4 KiB register window and the bit fields inside each 32-bit word.
// Names follow the chip's register map. Registers of the even field (E_...)
// lie 0x80 below their odd-field twins (O_...).
namespace bt848 {

// A run of `width` bits starting at bit `shift` of a register word.
struct Field {
    uint8_t shift;
    uint8_t width;

    constexpr uint32_t Mask() const {
        return static_cast<uint32_t>(((uint64_t{1} << width) - 1) << shift);
    }
    constexpr uint32_t Extract(uint32_t word) const { return (word & Mask()) >> shift; }
    constexpr uint32_t Insert(uint32_t word, uint32_t value) const {
        return (word & ~Mask()) | ((value << shift) & Mask());
    }
};

constexpr uint32_t kOddFieldOffset = 0x80;

// Status, input and format.
constexpr uint32_t kDstatus = 0x000;
constexpr uint32_t kIform = 0x004;
constexpr uint32_t kTdec = 0x008;

// Cropping and scaling, even field.
constexpr uint32_t kECrop = 0x00C;
constexpr uint32_t kEVdelayLo = 0x010;
constexpr uint32_t kEVactiveLo = 0x014;
constexpr uint32_t kEHdelayLo = 0x018;
constexpr uint32_t kEHactiveLo = 0x01C;
constexpr uint32_t kEHscaleHi = 0x020;
constexpr uint32_t kEHscaleLo = 0x024;
constexpr uint32_t kEControl = 0x02C;
constexpr uint32_t kEVscaleHi = 0x04C;
constexpr uint32_t kEVscaleLo = 0x050;

// Cropping and scaling, odd field.
constexpr uint32_t kOCrop = kECrop + kOddFieldOffset;
constexpr uint32_t kOVdelayLo = kEVdelayLo + kOddFieldOffset;
constexpr uint32_t kOVactiveLo = kEVactiveLo + kOddFieldOffset;
constexpr uint32_t kOHdelayLo = kEHdelayLo + kOddFieldOffset;
constexpr uint32_t kOHactiveLo = kEHactiveLo + kOddFieldOffset;
constexpr uint32_t kOHscaleHi = kEHscaleHi + kOddFieldOffset;
constexpr uint32_t kOHscaleLo = kEHscaleLo + kOddFieldOffset;
constexpr uint32_t kOControl = kEControl + kOddFieldOffset;
constexpr uint32_t kOVscaleHi = kEVscaleHi + kOddFieldOffset;
constexpr uint32_t kOVscaleLo = kEVscaleLo + kOddFieldOffset;

constexpr uint32_t kTest = 0x054;
constexpr uint32_t kTgctrl = 0x084;
constexpr uint32_t kVtotalLo = 0x0B0;
constexpr uint32_t kVtotalHi = 0x0B4;
constexpr uint32_t kColorFmt = 0x0D4;
constexpr uint32_t kCapCtl = 0x0DC;
constexpr uint32_t kVbiPackDel = 0x0E4;
constexpr uint32_t kFcap = 0x0E8;
constexpr uint32_t kPllFLo = 0x0F0;
constexpr uint32_t kPllFHi = 0x0F4;
constexpr uint32_t kPllXci = 0x0F8;
constexpr uint32_t kGpioDmaCtl = 0x10C;
constexpr uint32_t kI2c = 0x110;
constexpr uint32_t kRiscStrtAdd = 0x114;
constexpr uint32_t kGpioOutEn = 0x118;
constexpr uint32_t kGpioData = 0x200;

// Most registers carry their value in the low byte.
constexpr Field kLowByte{0, 8};

// DSTATUS (read only).
constexpr Field kPres{7, 1};
constexpr Field kHloc{6, 1};
constexpr Field kField{5, 1};
constexpr Field kNuml{4, 1};
constexpr Field kLof{1, 1};

// IFORM.
constexpr Field kMuxsel{5, 2};
constexpr Field kXtsel{3, 2};
constexpr Field kFormat{0, 3};

// TDEC.
constexpr Field kDecField{7, 1};
constexpr Field kFldalign{6, 1};
constexpr Field kDecRat{0, 6};

// E_CROP / O_CROP: bits 9..8 of the four window values.
constexpr Field kCropVdelayMsb{6, 2};
constexpr Field kCropVactiveMsb{4, 2};
constexpr Field kCropHdelayMsb{2, 2};
constexpr Field kCropHactiveMsb{0, 2};

// E_CONTROL / O_CONTROL.
constexpr Field kComp{6, 1};

// E_VSCALE_HI / O_VSCALE_HI: bits 12..8 of VSCALE; bits 7..5 are other controls.
constexpr Field kVscaleMsb{0, 5};

// TGCTRL.
constexpr Field kTgcki{3, 2};

// VTOTAL_HI: bits 9..8 of VTOTAL.
constexpr Field kVtotalMsb{0, 2};

// COLOR_FMT.
constexpr Field kColorFmtOdd{4, 4};
constexpr Field kColorFmtEven{0, 4};

// CAP_CTL.
constexpr Field kCaptureOdd{1, 1};
constexpr Field kCaptureEven{0, 1};

// VBI_PACK_DEL.
constexpr Field kExtFrame{1, 1};

// PLL_XCI.
constexpr Field kPllX{7, 1};
constexpr Field kPllC{6, 1};
constexpr Field kPllI{0, 6};

// GPIO_DMA_CTL.
constexpr Field kRiscEnable{1, 1};
constexpr Field kFifoEnable{0, 1};

// I2C: writing 1 releases a line, 0 pulls it low; reads give the line levels.
constexpr Field kI2cScl{1, 1};
constexpr Field kI2cSda{0, 1};

// GPIO_OUT_EN: one output-enable bit per GPIO pin 23..0.
constexpr Field kGpioOutEnPins{0, 24};

}  // namespace bt848
