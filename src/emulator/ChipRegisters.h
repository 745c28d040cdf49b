#pragma once

#include <cstdint>

// The emulated chip's side of the register map: offsets and bit fields of the
// registers the model knows. Names follow the chip family's register map.
namespace ChipRegisters {

constexpr uint32_t kDstatus = 0x000;
constexpr uint32_t kIform = 0x004;
constexpr uint32_t kTdec = 0x008;
constexpr uint32_t kEcrop = 0x00C;
constexpr uint32_t kEvdelayLo = 0x010;
constexpr uint32_t kEvactiveLo = 0x014;
constexpr uint32_t kEhdelayLo = 0x018;
constexpr uint32_t kEhactiveLo = 0x01C;
constexpr uint32_t kEhscaleHi = 0x020;
constexpr uint32_t kEhscaleLo = 0x024;
constexpr uint32_t kBright = 0x028;
constexpr uint32_t kEcontrol = 0x02C;
constexpr uint32_t kContrastLo = 0x030;
constexpr uint32_t kSatULo = 0x034;
constexpr uint32_t kSatVLo = 0x038;
constexpr uint32_t kHue = 0x03C;
constexpr uint32_t kEscloop = 0x040;
constexpr uint32_t kOform = 0x048;
constexpr uint32_t kEvscaleHi = 0x04C;
constexpr uint32_t kEvscaleLo = 0x050;
constexpr uint32_t kTest = 0x054;
constexpr uint32_t kAdelay = 0x060;
constexpr uint32_t kBdelay = 0x064;
constexpr uint32_t kAdc = 0x068;
constexpr uint32_t kEvtc = 0x06C;
constexpr uint32_t kSreset = 0x07C;
constexpr uint32_t kTglb = 0x080;
constexpr uint32_t kTgctrl = 0x084;
constexpr uint32_t kOcrop = 0x08C;
constexpr uint32_t kOvdelayLo = 0x090;
constexpr uint32_t kOvactiveLo = 0x094;
constexpr uint32_t kOhdelayLo = 0x098;
constexpr uint32_t kOhactiveLo = 0x09C;
constexpr uint32_t kOhscaleHi = 0x0A0;
constexpr uint32_t kOhscaleLo = 0x0A4;
constexpr uint32_t kOcontrol = 0x0AC;
constexpr uint32_t kVtotalLo = 0x0B0;
constexpr uint32_t kVtotalHi = 0x0B4;
constexpr uint32_t kOscloop = 0x0C0;
constexpr uint32_t kOvscaleHi = 0x0CC;
constexpr uint32_t kOvscaleLo = 0x0D0;
constexpr uint32_t kColorFmt = 0x0D4;
constexpr uint32_t kColorCtl = 0x0D8;
constexpr uint32_t kCapCtl = 0x0DC;
constexpr uint32_t kVbiPackSize = 0x0E0;
constexpr uint32_t kVbiPackDel = 0x0E4;
constexpr uint32_t kFcap = 0x0E8;
constexpr uint32_t kOvtc = 0x0EC;
constexpr uint32_t kPllFLo = 0x0F0;
constexpr uint32_t kPllFHi = 0x0F4;
constexpr uint32_t kPllXci = 0x0F8;
constexpr uint32_t kIntStat = 0x100;
constexpr uint32_t kIntMask = 0x104;
constexpr uint32_t kGpioDmaCtl = 0x10C;
constexpr uint32_t kI2c = 0x110;
constexpr uint32_t kRiscStrtAdd = 0x114;
constexpr uint32_t kGpioOutEn = 0x118;
constexpr uint32_t kGpioRegInp = 0x11C;
constexpr uint32_t kRiscCount = 0x120;
constexpr uint32_t kGpioData = 0x200;

// DSTATUS
constexpr uint32_t kDstatusPres = 1u << 7;
constexpr uint32_t kDstatusHloc = 1u << 6;
constexpr uint32_t kDstatusField = 1u << 5;  // 1 during the even field
constexpr uint32_t kDstatusNuml = 1u << 4;   // 1 for a 625-line signal
constexpr uint32_t kDstatusPlock = 1u << 2;
constexpr uint32_t kDstatusLof = 1u << 1;

// IFORM
constexpr uint32_t kIformMuxselShift = 5;
constexpr uint32_t kIformMuxselMask = 3u << kIformMuxselShift;

// TDEC: DEC_FIELD is read only.
constexpr uint32_t kTdecDecField = 1u << 7;

// TGCTRL
constexpr uint32_t kTgctrlTgckiShift = 3;
constexpr uint32_t kTgctrlTgckiMask = 3u << kTgctrlTgckiShift;
constexpr uint32_t kTgckiPll = 1;

// PLL_XCI
constexpr uint32_t kPllX = 1u << 7;
constexpr uint32_t kPllC = 1u << 6;
constexpr uint32_t kPllIMask = 0x3F;
constexpr uint64_t kPllReference_hz = 28'636'360;

// CAP_CTL
constexpr uint32_t kCapCtlCaptureEven = 1u << 0;
constexpr uint32_t kCapCtlCaptureOdd = 1u << 1;

// GPIO_DMA_CTL
constexpr uint32_t kDmaCtlFifoEnable = 1u << 0;
constexpr uint32_t kDmaCtlRiscEnable = 1u << 1;

// I2C: the two bus lines; 1 releases a line, reading gives the bus level.
constexpr uint32_t kI2cSda = 1u << 0;
constexpr uint32_t kI2cScl = 1u << 1;

// INT_STAT: DMA engine faults (write 1 to clear) and the engine's run state.
constexpr uint32_t kIntRiperr = 1u << 16;  // instruction budget spent without progress
constexpr uint32_t kIntPabort = 1u << 17;  // address outside DMA memory
constexpr uint32_t kIntOcerr = 1u << 18;   // unknown opcode
constexpr uint32_t kIntRiscEn = 1u << 27;  // the engine is running
constexpr uint32_t kIntFaultBits = kIntRiperr | kIntPabort | kIntOcerr;

// DMA instruction words.
constexpr uint32_t kOpcodeShift = 28;
constexpr uint32_t kOpWrite = 0x1;
constexpr uint32_t kOpJump = 0x7;
constexpr uint32_t kOpSync = 0x8;
constexpr uint32_t kWriteCountMask = 0xFFF;
constexpr uint32_t kSyncStatusMask = 0xF;
constexpr uint32_t kSyncVre = 0x4;
constexpr uint32_t kSyncVro = 0xC;

}  // namespace ChipRegisters
