#pragma once

#include <cstdint>

// The emulated chip's side of the register map: offsets and bit fields of the
// registers the model knows, and the words of the DMA controller's
// instruction list. Names follow the chip family's register map.
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

// Registers of the odd field lie this far above their even-field twins.
constexpr uint32_t kOddFieldOffset = 0x80;

// DSTATUS. LOF and COF hold until written 0; the others show the state now.
constexpr uint32_t kDstatusPres = 1u << 7;
constexpr uint32_t kDstatusHloc = 1u << 6;
constexpr uint32_t kDstatusField = 1u << 5;  // 1 during the even field
constexpr uint32_t kDstatusNuml = 1u << 4;   // 1 for a 625-line signal
constexpr uint32_t kDstatusPlock = 1u << 2;  // 1 while the PLL is out of lock
constexpr uint32_t kDstatusLof = 1u << 1;
constexpr uint32_t kDstatusCof = 1u << 0;
constexpr uint32_t kDstatusHeld = kDstatusLof | kDstatusCof;

// IFORM
constexpr uint32_t kIformMuxselShift = 5;
constexpr uint32_t kIformMuxselMask = 3u << kIformMuxselShift;
constexpr uint32_t kIformXtselShift = 3;
constexpr uint32_t kIformXtselMask = 3u << kIformXtselShift;
constexpr uint32_t kIformFormatMask = 7;
constexpr uint32_t kXtselXt0 = 1;
constexpr uint32_t kXtselXt1 = 2;
constexpr uint32_t kXtselAuto = 3;
constexpr uint32_t kFormatAuto = 0;
constexpr uint32_t kFormatNtsc = 1;
constexpr uint32_t kFormatNtscJ = 2;
constexpr uint32_t kFormatPalBdghi = 3;
constexpr uint32_t kFormatPalM = 4;

// TDEC: DEC_FIELD is read only.
constexpr uint32_t kTdecDecField = 1u << 7;
constexpr uint32_t kTdecDecRatMask = 0x3F;

// E_CROP / O_CROP: VDELAY bits 9..8.
constexpr uint32_t kCropVdelayShift = 6;

// E_CONTROL / O_CONTROL
constexpr uint32_t kControlComp = 1u << 6;

// TGCTRL
constexpr uint32_t kTgctrlTgckiShift = 3;
constexpr uint32_t kTgctrlTgckiMask = 3u << kTgctrlTgckiShift;
constexpr uint32_t kTgckiXtal = 0;
constexpr uint32_t kTgckiPll = 1;
constexpr uint32_t kTgckiGpclk = 2;

// PLL_XCI
constexpr uint32_t kPllX = 1u << 7;
constexpr uint32_t kPllC = 1u << 6;
constexpr uint32_t kPllIMask = 0x3F;

// The card's crystal on XT0, which is also the PLL's reference.
constexpr uint64_t kPllReference_hz = 28'636'360;

// COLOR_FMT: one format per field; 14 is raw 8-bit samples.
constexpr uint32_t kColorFmtOddShift = 4;
constexpr uint32_t kColorFmtRaw = 0xE;

// CAP_CTL
constexpr uint32_t kCapCtlCaptureEven = 1u << 0;
constexpr uint32_t kCapCtlCaptureOdd = 1u << 1;

// VBI_PACK_DEL
constexpr uint32_t kVbiPackDelExtFrame = 1u << 1;

// GPIO_DMA_CTL
constexpr uint32_t kDmaCtlFifoEnable = 1u << 0;
constexpr uint32_t kDmaCtlRiscEnable = 1u << 1;

// I2C: the two bus lines; 1 releases a line, reading gives the bus level.
constexpr uint32_t kI2cSda = 1u << 0;
constexpr uint32_t kI2cScl = 1u << 1;

// INT_STAT: bits 19..0 hold until written 1; bits 31..24 show the state now.
constexpr uint32_t kIntRiscsShift = 28;    // the status the instructions set
constexpr uint32_t kIntRiscEn = 1u << 27;  // the DMA controller is running
constexpr uint32_t kIntScerr = 1u << 19;   // a SYNC met another status
constexpr uint32_t kIntOcerr = 1u << 18;   // reserved opcode or SYNC status
constexpr uint32_t kIntPabort = 1u << 17;  // master abort: no memory at an address
constexpr uint32_t kIntRiperr = 1u << 16;  // parity error fetching an instruction
constexpr uint32_t kIntPperr = 1u << 15;   // parity error writing data
constexpr uint32_t kIntFdsr = 1u << 14;    // the data stream was resynchronised
constexpr uint32_t kIntFtrgt = 1u << 13;   // FIFO overrun, target latency
constexpr uint32_t kIntFbus = 1u << 12;    // FIFO overrun, bus latency
constexpr uint32_t kIntRisci = 1u << 11;   // an instruction with IRQ completed
constexpr uint32_t kIntHeldMask = 0x000F'FFFF;
constexpr uint32_t kIntDmaErrors =
    kIntScerr | kIntOcerr | kIntPabort | kIntRiperr | kIntPperr | kIntFdsr | kIntFtrgt | kIntFbus;

// Instruction words: opcode in bits 31..28.
constexpr uint32_t kOpcodeShift = 28;
constexpr uint32_t kOpWrite = 0x1;
constexpr uint32_t kOpSkip = 0x2;
constexpr uint32_t kOpWritec = 0x5;
constexpr uint32_t kOpJump = 0x7;
constexpr uint32_t kOpSync = 0x8;
constexpr uint32_t kOpWrite123 = 0x9;
constexpr uint32_t kOpSkip123 = 0xA;
constexpr uint32_t kOpWrite1s23 = 0xB;

constexpr uint32_t kRiscSol = 1u << 27;
constexpr uint32_t kRiscEol = 1u << 26;
constexpr uint32_t kRiscIrq = 1u << 24;
constexpr uint32_t kRiscResetStatusShift = 20;
constexpr uint32_t kRiscSetStatusShift = 16;
constexpr uint32_t kRiscByteDisableShift = 12;  // WRITE, SKIP: one bit per byte lane
constexpr uint32_t kRiscResync = 1u << 15;      // SYNC
constexpr uint32_t kWriteCountMask = 0xFFF;
constexpr uint32_t kSyncStatusMask = 0xF;

// Status codes the video path puts into the FIFO, and a SYNC waits for.
constexpr uint32_t kStatusPxv = 0x0;
constexpr uint32_t kStatusEol4 = 0x1;
constexpr uint32_t kStatusSol = 0x2;
constexpr uint32_t kStatusVre = 0x4;
constexpr uint32_t kStatusEol1 = 0x5;
constexpr uint32_t kStatusFm1 = 0x6;
constexpr uint32_t kStatusEol2 = 0x9;
constexpr uint32_t kStatusVro = 0xC;
constexpr uint32_t kStatusEol3 = 0xD;
constexpr uint32_t kStatusFm3 = 0xE;

}  // namespace ChipRegisters
