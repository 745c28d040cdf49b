// The emulated capture chip.
//
// Modelled:
// - the register window: plain registers from a table (reset values, writable
//   bits), handlers only where the chip has side effects: DSTATUS (PRES, HLOC,
//   FIELD, NUML, PLOCK computed), FCAP, TDEC's read-only DEC_FIELD, CAP_CTL and
//   GPIO_DMA_CTL (start and stop of the DMA engine), INT_STAT (DMA fault bits,
//   write 1 to clear), RISC_COUNT (the engine's program counter) and the I2C
//   register (wired-AND of the chip's lines and the tuner's);
// - the sample clock: the PLL frequency the PLL registers give
//   (N = I << 16 | F; f = ((N x 28,636,360) >> 16) / D), used by the timing
//   generator when TGCTRL selects the PLL;
// - the timing generator (2,268 clocks per line, VTOTAL + 1 lines per frame in
//   two fields), the DMA engine, the input multiplexer (MUXSEL 2 carries the
//   tuner, or a camera or video file instead; the other inputs have nothing
//   connected) and the tuner on the I2C bus.
//
// Not modelled: the colour decoder, scaler and cropping (their registers only
// hold values; the samples are always the raw stream), the crystal clock path
// (without the PLL selected the timing generator stands still), per-field
// capture enables (either CAP_CTL bit captures every field the program asks
// for), interrupts, the software reset and the chip's own I2C controller. Such
// offsets are counted as "not modelled", separately from driver errors.
//
// The signal on the inputs (timing, 625-line field structure, levels) is
// described in SignalLayout.h and FieldStructure.h. When the timing generator
// starts, the source is placed so that, at the default PLL, buffer line 0's
// lock edge sits at byte 2,248 and the picture's first line at byte 13,548.
// The emulator's own sources run at the default PLL frequency (35,438,456 Hz)
// plus a slow seeded random walk of at most 25 Hz, so the software lock has
// work; a sample file or a replayed capture runs at its own rate.
//
// Status: PRES and HLOC when a station is within 0.5 MHz of the tuned carrier
// (PRES alone within 1 MHz), once the tuner has settled for 30 ms after its
// last message; always for a camera or video file. NUML is set with PRES (every source has
// 625 lines). LOF stays clear: the levels never reach the ADC's limits.
#include "emulator/EmulatedChip.h"

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedClock.h"
#include "emulator/EmulatedPhysMem.h"
#include "emulator/SignalLayout.h"
#include "emulator/StationBand.h"

using namespace ChipRegisters;

namespace {

enum class Access { Plain, ReadOnly, SideEffect };

struct RegisterEntry {
    uint32_t offset;
    uint32_t writable;
    uint32_t reset;
    Access access;
};

constexpr RegisterEntry kRegisterTable[] = {
    {kDstatus, 0x00, 0x00, Access::ReadOnly},
    {kIform, 0xFF, 0x58, Access::Plain},
    {kTdec, 0x7F, 0x00, Access::Plain},
    {kEcrop, 0xFF, 0x12, Access::Plain},
    {kEvdelayLo, 0xFF, 0x16, Access::Plain},
    {kEvactiveLo, 0xFF, 0xE0, Access::Plain},
    {kEhdelayLo, 0xFF, 0x78, Access::Plain},
    {kEhactiveLo, 0xFF, 0x80, Access::Plain},
    {kEhscaleHi, 0xFF, 0x02, Access::Plain},
    {kEhscaleLo, 0xFF, 0xAC, Access::Plain},
    {kBright, 0xFF, 0x00, Access::Plain},
    {kEcontrol, 0xFF, 0x20, Access::Plain},
    {kContrastLo, 0xFF, 0xD8, Access::Plain},
    {kSatULo, 0xFF, 0xFE, Access::Plain},
    {kSatVLo, 0xFF, 0xB4, Access::Plain},
    {kHue, 0xFF, 0x00, Access::Plain},
    {kEscloop, 0xFF, 0x00, Access::Plain},
    {kOform, 0xFF, 0x00, Access::Plain},
    {kEvscaleHi, 0xFF, 0x60, Access::Plain},
    {kEvscaleLo, 0xFF, 0x00, Access::Plain},
    {kTest, 0xFF, 0x00, Access::Plain},
    {kAdelay, 0xFF, 0x68, Access::Plain},
    {kBdelay, 0xFF, 0x5D, Access::Plain},
    {kAdc, 0xFF, 0x82, Access::Plain},
    {kEvtc, 0xFF, 0x00, Access::Plain},
    {kTglb, 0xFF, 0x00, Access::Plain},
    {kTgctrl, 0xFF, 0x00, Access::Plain},
    {kOcrop, 0xFF, 0x12, Access::Plain},
    {kOvdelayLo, 0xFF, 0x16, Access::Plain},
    {kOvactiveLo, 0xFF, 0xE0, Access::Plain},
    {kOhdelayLo, 0xFF, 0x78, Access::Plain},
    {kOhactiveLo, 0xFF, 0x80, Access::Plain},
    {kOhscaleHi, 0xFF, 0x02, Access::Plain},
    {kOhscaleLo, 0xFF, 0xAC, Access::Plain},
    {kOcontrol, 0xFF, 0x20, Access::Plain},
    {kVtotalLo, 0xFF, 0x00, Access::Plain},
    {kVtotalHi, 0x03, 0x00, Access::Plain},
    {kOscloop, 0xFF, 0x00, Access::Plain},
    {kOvscaleHi, 0xFF, 0x60, Access::Plain},
    {kOvscaleLo, 0xFF, 0x00, Access::Plain},
    {kColorFmt, 0xFF, 0x00, Access::Plain},
    {kColorCtl, 0xFF, 0x00, Access::Plain},
    {kCapCtl, 0xFF, 0x00, Access::SideEffect},
    {kVbiPackSize, 0xFF, 0x00, Access::Plain},
    {kVbiPackDel, 0xFF, 0x00, Access::Plain},
    {kFcap, 0x00, 0x00, Access::ReadOnly},
    {kOvtc, 0xFF, 0x00, Access::Plain},
    {kPllFLo, 0xFF, 0x00, Access::Plain},
    {kPllFHi, 0xFF, 0x00, Access::Plain},
    {kPllXci, 0xFF, 0x00, Access::Plain},
    {kIntStat, 0x00, 0x00, Access::SideEffect},
    {kIntMask, 0x0FFF'FFFF, 0x00, Access::Plain},
    {kGpioDmaCtl, 0xFFFF, 0x00, Access::SideEffect},
    {kI2c, 0xFF, 0x03, Access::SideEffect},
    {kRiscStrtAdd, 0xFFFF'FFFF, 0x00, Access::Plain},
    {kGpioOutEn, 0xFF'FFFF, 0x00, Access::Plain},
    {kGpioRegInp, 0x00, 0x00, Access::ReadOnly},
    {kRiscCount, 0x00, 0x00, Access::ReadOnly},
    {kGpioData, 0xFF'FFFF, 0x00, Access::Plain},
};

const RegisterEntry* FindRegister(uint32_t offset) {
    for (const RegisterEntry& entry : kRegisterTable) {
        if (entry.offset == offset) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr uint32_t kInputTuner = 2;
constexpr uint64_t kMinSampleRate_hz = 10'000'000;

}  // namespace

EmulatedChip::EmulatedChip(std::mutex& modelLock, EmulatedClock& clock, EmulatedPhysMem& memory,
                           StationBand& band, LineSource* fixedInput, uint64_t seed)
    : modelLock_(modelLock),
      clock_(clock),
      memory_(memory),
      band_(band),
      fixedInput_(fixedInput),
      timebase_(seed),
      synthesizer_(timebase_, seed * 31 + 7),
      dma_(memory),
      tuner_(band.Carrier_hz(0)),
      i2c_(tuner_) {
    for (const RegisterEntry& entry : kRegisterTable) {
        Reg(entry.offset) = entry.reset;
    }
}

uint32_t EmulatedChip::read32(uint32_t offset) {
    std::lock_guard lock(modelLock_);
    clock_.CatchUp();
    if (!IsValid32(offset)) {
        ++diagnostics_.driverErrors;
        return 0xFFFF'FFFF;
    }
    return ReadLocked(offset);
}

void EmulatedChip::write32(uint32_t offset, uint32_t value) {
    std::lock_guard lock(modelLock_);
    clock_.CatchUp();
    if (!IsValid32(offset)) {
        ++diagnostics_.driverErrors;
        return;
    }
    WriteLocked(offset, value);
}

// A byte write changes one byte lane of the register word.
void EmulatedChip::write8(uint32_t offset, uint8_t value) {
    std::lock_guard lock(modelLock_);
    clock_.CatchUp();
    if (!IsValid8(offset)) {
        ++diagnostics_.driverErrors;
        return;
    }
    uint32_t word = offset & ~3u;
    uint32_t shift = (offset & 3u) * 8;
    uint32_t merged = (Reg(word) & ~(0xFFu << shift)) | (uint32_t{value} << shift);
    WriteLocked(word, merged);
}

uint32_t EmulatedChip::ReadLocked(uint32_t offset) {
    const RegisterEntry* entry = FindRegister(offset);
    if (entry == nullptr) {
        ++diagnostics_.notModelled;
        diagnostics_.lastNotModelledOffset = offset;
        return 0;
    }
    switch (offset) {
        case kDstatus:
            return Dstatus();
        case kFcap:
            return timing_.FieldCount();
        case kRiscCount:
            return dma_.ProgramCounter();
        case kIntStat:
            return Reg(kIntStat) | (dma_.IsRunning() ? kIntRiscEn : 0);
        case kI2c:
            return (Reg(kI2c) & ~kI2cSda) | (i2c_.SdaReleased() ? Reg(kI2c) & kI2cSda : 0);
        default:
            return Reg(offset);
    }
}

void EmulatedChip::WriteLocked(uint32_t offset, uint32_t value) {
    const RegisterEntry* entry = FindRegister(offset);
    if (entry == nullptr) {
        ++diagnostics_.notModelled;
        diagnostics_.lastNotModelledOffset = offset;
        return;
    }
    if (entry->access == Access::ReadOnly) {
        ++diagnostics_.driverErrors;
        return;
    }
    if (offset == kIntStat) {
        Reg(kIntStat) &= ~value;
        return;
    }
    Reg(offset) = (Reg(offset) & ~entry->writable) | (value & entry->writable);
    if (offset == kCapCtl || offset == kGpioDmaCtl) {
        UpdateDmaEnable();
    } else if (offset == kI2c) {
        DriveI2cLines();
    }
}

uint64_t EmulatedChip::SampleRate_hz() const {
    if (((Reg(kTgctrl) & kTgctrlTgckiMask) >> kTgctrlTgckiShift) != kTgckiPll) {
        return 0;
    }
    uint32_t xci = Reg(kPllXci);
    uint64_t n =
        (uint64_t{xci & kPllIMask} << 16) | ((Reg(kPllFHi) & 0xFF) << 8) | (Reg(kPllFLo) & 0xFF);
    uint64_t divisor = ((xci & kPllC) ? 4 : 6) * ((xci & kPllX) ? 2 : 1);
    uint64_t rate = ((n * kPllReference_hz) >> 16) / divisor;
    return rate >= kMinSampleRate_hz ? rate : 0;
}

uint32_t EmulatedChip::TotalLines() const {
    return (((Reg(kVtotalHi) & 3) << 8) | (Reg(kVtotalLo) & 0xFF)) + 1;
}

uint32_t EmulatedChip::Dstatus() const {
    uint32_t status = StatusOfInput();
    if (timingRunning_) {
        status |= kDstatusPlock;
        if (timing_.CurrentField() == TimingGenerator::Field::Even) {
            status |= kDstatusField;
        }
    }
    return status;
}

uint32_t EmulatedChip::StatusOfInput() const {
    constexpr uint32_t kLocked = kDstatusPres | kDstatusHloc | kDstatusNuml;
    uint32_t muxsel = (Reg(kIform) & kIformMuxselMask) >> kIformMuxselShift;
    if (muxsel != kInputTuner) {
        return 0;
    }
    if (fixedInput_ != nullptr) {
        return kLocked;
    }
    if (!tuner_.BandCoversCarrier() || !tuner_.IsSettled(now_us_)) {
        return 0;
    }
    switch (band_.Receive(tuner_.Carrier_hz()).reception) {
        case Reception::Clear:
            return kLocked;
        case Reception::Noisy:
            return kDstatusPres | kDstatusNuml;
        case Reception::None:
            return 0;
    }
    return 0;
}

void EmulatedChip::SelectSource() {
    uint32_t muxsel = (Reg(kIform) & kIformMuxselMask) >> kIformMuxselShift;
    if (muxsel != kInputTuner) {
        synthesizer_.Select(nullptr, Reception::None);
    } else if (fixedInput_ != nullptr) {
        synthesizer_.Select(fixedInput_, Reception::Clear);
    } else if (!tuner_.BandCoversCarrier()) {
        synthesizer_.Select(nullptr, Reception::None);
    } else {
        StationBand::Received received = band_.Receive(tuner_.Carrier_hz());
        synthesizer_.Select(received.source ? &received.source->Signal() : nullptr,
                            received.reception);
    }
}

// The timing generator starts with an even field, and a vertical lock places
// the source so the picture sits where the decoder looks for it.
void EmulatedChip::StartTiming() {
    timing_.Restart(TotalLines());
    timebase_.AlignTo(SignalLayout::kAlignedPosition);
    dma_.OnFieldStart(TimingGenerator::Field::Even);
    sampleRemainder_ = 0;
    timingRunning_ = true;
}

void EmulatedChip::AdvanceLocked(uint64_t duration_us) {
    now_us_ += duration_us;
    uint64_t rate_hz = SampleRate_hz();
    if (rate_hz == 0) {
        timingRunning_ = false;
        return;
    }
    if (!timingRunning_) {
        StartTiming();
    }
    timebase_.SetChipRate(rate_hz);
    SelectSource();
    sampleRemainder_ += rate_hz * duration_us;
    uint64_t samples = sampleRemainder_ / 1'000'000;
    sampleRemainder_ %= 1'000'000;
    while (samples > 0) {
        uint64_t chunk = std::min(samples, timing_.SamplesToFieldEnd());
        dma_.Consume(chunk, synthesizer_);
        NoteDmaFault();
        samples -= chunk;
        if (timing_.Advance(chunk, TotalLines())) {
            dma_.OnFieldStart(timing_.CurrentField());
            if (timing_.CurrentField() == TimingGenerator::Field::Even) {
                synthesizer_.OnCapturedFieldStart();
            }
        }
    }
}

void EmulatedChip::NoteDmaFault() {
    if (dma_.CurrentState() != DmaEngine::State::Faulted || faultReported_) {
        return;
    }
    faultReported_ = true;
    switch (dma_.LastFault()) {
        case DmaEngine::Fault::BadOpcode:
            Reg(kIntStat) |= kIntOcerr;
            break;
        case DmaEngine::Fault::AddressFault:
            Reg(kIntStat) |= kIntPabort;
            break;
        case DmaEngine::Fault::Runaway:
            Reg(kIntStat) |= kIntRiperr;
            break;
        case DmaEngine::Fault::None:
            break;
    }
}

// The engine runs while RISC and FIFO are enabled and capture is on; it
// starts from RISC_STRT_ADD each time all three become true.
void EmulatedChip::UpdateDmaEnable() {
    bool enable = (Reg(kGpioDmaCtl) & kDmaCtlRiscEnable) &&
                  (Reg(kGpioDmaCtl) & kDmaCtlFifoEnable) &&
                  (Reg(kCapCtl) & (kCapCtlCaptureEven | kCapCtlCaptureOdd));
    if (enable && !dmaEnabled_) {
        dma_.Start(Reg(kRiscStrtAdd));
        faultReported_ = false;
    } else if (!enable && dmaEnabled_) {
        dma_.Stop();
    }
    dmaEnabled_ = enable;
}

void EmulatedChip::DriveI2cLines() {
    uint32_t lines = Reg(kI2c);
    i2c_.OnMasterLines((lines & kI2cScl) != 0, (lines & kI2cSda) != 0, now_us_);
}

EmulatedChip::Diagnostics EmulatedChip::GetDiagnostics() const {
    std::lock_guard lock(modelLock_);
    return diagnostics_;
}

EmulatedChip::TunerState EmulatedChip::GetTunerState() const {
    std::lock_guard lock(modelLock_);
    return {tuner_.Carrier_hz(), tuner_.Divider(), tuner_.ControlByte(), tuner_.BandByte(),
            i2c_.MessagesReceived()};
}

DmaEngine::Fault EmulatedChip::DmaFault() const {
    std::lock_guard lock(modelLock_);
    return dma_.LastFault();
}

DmaEngine::State EmulatedChip::DmaState() const {
    std::lock_guard lock(modelLock_);
    return dma_.CurrentState();
}

void EmulatedChip::SetRateWalk(SourceTimebase::RateWalk walk, int64_t offset_hz) {
    std::lock_guard lock(modelLock_);
    timebase_.SetRateWalk(walk, offset_hz);
}

void EmulatedChip::SetMotion(SignalSynthesizer::Motion motion) {
    std::lock_guard lock(modelLock_);
    synthesizer_.SetMotion(motion);
}

void EmulatedChip::SetI2cTrace(I2cTunerSlave::Trace trace) {
    std::lock_guard lock(modelLock_);
    i2c_.SetTrace(std::move(trace));
}
