#include "emulator/FieldCapture.h"

#include "emulator/ChipRegisters.h"

using namespace ChipRegisters;

namespace {

const char* WhyNotModelled(const FieldCapture::Registers& r, TimingGenerator::Field field,
                           bool clockIsPll) {
    const uint32_t shift = field == TimingGenerator::Field::Odd ? kColorFmtOddShift : 0;
    const uint32_t vdelay = (((r.crop >> kCropVdelayShift) & 3) << 8) | (r.vdelayLo & 0xFF);
    if (!clockIsPll) {
        return "sampling clock other than the PLL";
    }
    if (((r.colorFmt >> shift) & 0xF) != kColorFmtRaw) {
        return "colour format other than raw";
    }
    if ((r.test & 0xFF) != FieldCapture::kRawTestValue) {
        return "test register other than 0xEF";
    }
    if ((r.control & kControlComp) != 0) {
        return "component input";
    }
    if ((r.tdec & kTdecDecRatMask) != 0) {
        return "temporal decimation";
    }
    if (vdelay != FieldCapture::kRequiredVdelay) {
        return "vertical delay other than 2";
    }
    return nullptr;
}

bool Is525LineFormat(uint32_t iform) {
    const uint32_t format = iform & kIformFormatMask;
    return format == kFormatNtsc || format == kFormatNtscJ || format == kFormatPalM;
}

}  // namespace

FieldCapture::Plan FieldCapture::Evaluate(const Registers& registers, TimingGenerator::Field field,
                                          bool clockIsPll) {
    Plan plan;
    plan.notModelled = WhyNotModelled(registers, field, clockIsPll);
    if (plan.notModelled != nullptr) {
        return plan;
    }
    const bool lines525 = Is525LineFormat(registers.iform);
    plan.packets = lines525 ? kPacketsExtended525 : kPacketsExtended625;
    plan.start_samples = uint64_t{kRequiredVdelay} * TimingGenerator::kSamplesPerLine / 2;
    if ((registers.vbiPackDel & kVbiPackDelExtFrame) == 0) {
        plan.packets -= lines525 ? kPacketsLeftOut525 : kPacketsLeftOut625;
        plan.start_samples +=
            uint64_t{kLinesLeftOutWithoutExtension} * TimingGenerator::kSamplesPerLine;
    }
    return plan;
}
