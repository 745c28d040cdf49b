// The emulated capture chip, modelled from the chip family's public register
// documentation rather than from what any driver does with it.
//
// Modelled:
// - The register window: plain registers from a table (reset values, writable
//   bits); handlers only where the chip has side effects. Offsets the table
//   doesn't know count as "not modelled"; misaligned or out-of-window accesses
//   and writes to read-only registers count as driver errors. Every access can
//   be logged in order (StartAccessLog).
// - DSTATUS: PRES, HLOC and FIELD show the state now, NUML the line standard
//   last seen for 32 fields in a row, PLOCK (1 = out of lock) the PLL's lock
//   now, LOF and COF hold until a 0 is written to them. Writing DSTATUS only
//   resets those two; it is not a driver error.
// - The sampling clock (ChipPll): TGCKI = PLL with XTSEL = XT1 (or auto, which
//   picks XT1 for a 625-line input) clocks the decoder from the PLL;
//   XTSEL = XT0 clocks it from the card's crystal on XT0 (28,636,360 Hz plus
//   the card's crystal error); TGCKI = XTAL with XT1 or auto, and TGCKI =
//   GPCLK, give no clock (nothing is fitted there on this card). The PLL needs
//   ChipPll::kLockTime_us (the documentation: up to about 100 ms) to lock
//   after a large change and runs slow meanwhile, so samples taken before it
//   locks show a torn picture.
// - The timing generator (TimingGenerator): free-running, VTOTAL + 1 lines a
//   frame, field ends by whole lines, so a changed line total moves the
//   picture by whole lines. FCAP counts the fields that end with their
//   CAP_CTL bit set.
// - The video path into the FIFO (FieldCapture): in raw-frame mode the
//   field's raw samples in packets of 1,024 bytes, a FIFO mode code (FM1)
//   before the first packet and, at the end of every capture-enabled field,
//   its end code (VRE for the even field, VRO for the odd one). A field takes
//   its plan when it starts; capture enabled in mid-field brings only the end
//   code, and capture or FIFO switched off in mid-field stops its data.
//   FIFO_ENABLE clear keeps everything out of the FIFO. Data that reaches the
//   FIFO while the DMA controller is not running overflows its 630 bytes
//   (FBUS).
// - The DMA controller (DmaEngine): RISC_ENABLE rising loads RISC_STRT_ADD into
//   the program counter (a start address written later takes effect at the
//   next rising edge) and fetches at once; errors halt it until RISC_ENABLE
//   rises again. INT_STAT shows its errors (held until written 1), RISC_EN and
//   the RISC status bits; RISC_COUNT its program counter.
// - The input multiplexer: MUXSEL 2 carries the tuner, or a camera or video
//   file instead; the other inputs have nothing connected.
// - The I2C register: the wired-AND of the chip's lines and the tuner's.
//
// Chosen where the documentation is silent:
// - Raw data only with the configuration FieldCapture names (COLOR_FMT raw,
//   TEST = 0xEF, COMP clear, no decimation, VDELAY 2, the PLL clock); the
//   formats of 525 lines give 450 packets, those of 625 lines (and auto, on
//   this 625-line signal) 674. Any other setting is counted as not modelled
//   and delivers nothing.
// - The PLL slews up from 5 % below its frequency over a 40 ms lock; steps
//   under 0.5 % are followed without losing lock.
// - PRES and HLOC need a stable decoder clock: PRES for any received signal,
//   HLOC for a clearly received one (the decoder's own line lock is not
//   computed). LOF is set while a station is received off-centre: its noise
//   bursts overload the ADC.
// - The source is placed once the clock is first stable, so that the picture
//   of the captured (odd) field sits where the decoder looks for it; a real
//   card starts at an arbitrary vertical and horizontal phase.
//
// Not modelled: the colour decoder, scaler, cropping and pixel formats other
// than raw (their registers only hold values), the crystal clock path's
// samples, temporal decimation and field alignment, planar DMA, interrupts
// and INT_MASK, parity errors (RIPERR, PPERR) and target latency (FTRGT), the
// software reset, the chip's own I2C controller and the I2C bus's timing, and
// COF.
//
// The signal on the inputs (timing, 625-line field structure, levels) is
// described in SignalLayout.h and FieldStructure.h. The emulator's own sources
// run at the default PLL frequency (35,438,456 Hz) plus a slow seeded random
// walk of at most 25 Hz, so the software lock has work; a sample file or a
// replayed capture runs at its own rate and begins a frame with each field the
// DMA program synchronises to.
#include "emulator/EmulatedChip.h"

#include <algorithm>
#include <limits>

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
    {kDstatus, 0x00, 0x00, Access::SideEffect},
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
    {kTest, 0xFF, 0x01, Access::Plain},
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
    {kCapCtl, 0xFF, 0x00, Access::Plain},
    {kVbiPackSize, 0xFF, 0x00, Access::Plain},
    {kVbiPackDel, 0xFF, 0x00, Access::Plain},
    {kFcap, 0x00, 0x00, Access::ReadOnly},
    {kOvtc, 0xFF, 0x00, Access::Plain},
    {kPllFLo, 0xFF, 0x00, Access::SideEffect},
    {kPllFHi, 0xFF, 0x00, Access::SideEffect},
    {kPllXci, 0xFF, 0x00, Access::SideEffect},
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
constexpr uint64_t kFifoBytes = 630;
constexpr uint32_t kFieldsToChangeStandard = 32;

}  // namespace

EmulatedChip::EmulatedChip(std::mutex& modelLock, EmulatedClock& clock, EmulatedPhysMem& memory,
                           StationBand& band, LineSource* fixedInput, uint64_t seed,
                           int64_t crystalError_ppb)
    : modelLock_(modelLock),
      clock_(clock),
      band_(band),
      fixedInput_(fixedInput),
      pll_(crystalError_ppb),
      timebase_(seed),
      synthesizer_(timebase_, seed * 31 + 7),
      dma_(memory),
      i2c_(tuner_) {
    for (const RegisterEntry& entry : kRegisterTable) {
        Reg(entry.offset) = entry.reset;
    }
}

uint32_t EmulatedChip::read32(uint32_t offset) {
    std::lock_guard lock(modelLock_);
    clock_.CatchUp();
    uint32_t value = 0xFFFF'FFFF;
    if (IsValid32(offset)) {
        value = ReadLocked(offset);
    } else {
        ++diagnostics_.driverErrors;
    }
    log_.Record(RegisterAccessLog::Kind::Read, offset, value);
    return value;
}

void EmulatedChip::write32(uint32_t offset, uint32_t value) {
    std::lock_guard lock(modelLock_);
    clock_.CatchUp();
    log_.Record(RegisterAccessLog::Kind::Write32, offset, value);
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
    log_.Record(RegisterAccessLog::Kind::Write8, offset, value);
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
            return fieldCount_;
        case kRiscCount:
            return dma_.ProgramCounter();
        case kIntStat:
            return IntStat();
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
    switch (offset) {
        case kDstatus:
            // A 0 written to a held bit resets it; the other bits ignore writes.
            Reg(kDstatus) &= value | ~kDstatusHeld;
            return;
        case kIntStat:
            Reg(kIntStat) &= ~(value & kIntHeldMask);
            return;
        default:
            break;
    }
    Reg(offset) = (Reg(offset) & ~entry->writable) | (value & entry->writable);
    if (offset == kPllXci || offset == kPllFHi || offset == kPllFLo) {
        pll_.Program(Reg(kPllXci), Reg(kPllFHi), Reg(kPllFLo), now_us_);
    } else if (offset == kGpioDmaCtl) {
        UpdateDmaControl();
    } else if (offset == kI2c) {
        DriveI2cLines();
    }
}

uint32_t EmulatedChip::TotalLines() const {
    return (((Reg(kVtotalHi) & 3) << 8) | (Reg(kVtotalLo) & 0xFF)) + 1;
}

EmulatedChip::ClockSource EmulatedChip::DecoderClock() const {
    const uint32_t tgcki = (Reg(kTgctrl) & kTgctrlTgckiMask) >> kTgctrlTgckiShift;
    const uint32_t xtsel = (Reg(kIform) & kIformXtselMask) >> kIformXtselShift;
    if (xtsel == 0 || tgcki > kTgckiGpclk) {
        return ClockSource::NotModelled;
    }
    if (tgcki == kTgckiGpclk) {
        return ClockSource::None;
    }
    const bool xt1 = xtsel == kXtselXt1 || xtsel == kXtselAuto;
    if (tgcki == kTgckiPll) {
        return xt1 ? ClockSource::Pll : ClockSource::Crystal;
    }
    return xt1 ? ClockSource::None : ClockSource::Crystal;
}

uint64_t EmulatedChip::DecoderClock_hz(ClockSource source) const {
    switch (source) {
        case ClockSource::Pll:
            return pll_.Output_hz(now_us_);
        case ClockSource::Crystal:
            return pll_.Crystal_hz();
        case ClockSource::None:
        case ClockSource::NotModelled:
            return 0;
    }
    return 0;
}

uint64_t EmulatedChip::SampleRate_hz() const {
    return DecoderClock_hz(DecoderClock());
}

bool EmulatedChip::ClockIsStable() const {
    switch (DecoderClock()) {
        case ClockSource::Pll:
            return pll_.IsLocked(now_us_);
        case ClockSource::Crystal:
            return true;
        case ClockSource::None:
        case ClockSource::NotModelled:
            return false;
    }
    return false;
}

uint32_t EmulatedChip::Dstatus() const {
    uint32_t status = Reg(kDstatus) & kDstatusHeld;
    if (pll_.IsOn() && !pll_.IsLocked(now_us_)) {
        status |= kDstatusPlock;
    }
    if (numl_) {
        status |= kDstatusNuml;
    }
    if (timingRunning_) {
        if (timing_.CurrentField() == TimingGenerator::Field::Even) {
            status |= kDstatusField;
        }
        if (ClockIsStable()) {
            status |= StatusOfInput();
        }
    }
    return status;
}

uint32_t EmulatedChip::IntStat() const {
    return (Reg(kIntStat) & kIntHeldMask) | (dma_.RiscStatus() << kIntRiscsShift) |
           (dma_.IsRunning() ? kIntRiscEn : 0);
}

Reception EmulatedChip::InputReception() const {
    uint32_t muxsel = (Reg(kIform) & kIformMuxselMask) >> kIformMuxselShift;
    if (muxsel != kInputTuner) {
        return Reception::None;
    }
    if (fixedInput_ != nullptr) {
        return Reception::Clear;
    }
    if (!tuner_.BandCoversCarrier() || !tuner_.IsSettled(now_us_)) {
        return Reception::None;
    }
    return band_.Receive(tuner_.Carrier_hz()).reception;
}

uint32_t EmulatedChip::StatusOfInput() const {
    switch (InputReception()) {
        case Reception::Clear:
            return kDstatusPres | kDstatusHloc;
        case Reception::Noisy:
            return kDstatusPres;
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

void EmulatedChip::NoteOverload() {
    if (ClockIsStable() && InputReception() == Reception::Noisy) {
        Reg(kDstatus) |= kDstatusLof;
    }
}

void EmulatedChip::AdvanceLocked(uint64_t duration_us) {
    now_us_ += duration_us;
    const ClockSource source = DecoderClock();
    if (source == ClockSource::NotModelled && !clockNotModelledNoted_) {
        NoteUnmodelled("clock selection");
    }
    clockNotModelledNoted_ = source == ClockSource::NotModelled;
    const uint64_t rate_hz = DecoderClock_hz(source);
    if (rate_hz == 0) {
        timingRunning_ = false;
        placed_ = false;
        return;
    }
    if (!timingRunning_) {
        StartTiming();
    }
    if (!placed_ && ClockIsStable()) {
        PlaceSource();
        placed_ = true;
    }
    timebase_.SetChipRate(rate_hz);
    SelectSource();
    NoteOverload();
    sampleRemainder_ += rate_hz * duration_us;
    RunSamples(sampleRemainder_ / 1'000'000);
    sampleRemainder_ %= 1'000'000;
}

void EmulatedChip::StartTiming() {
    timing_.Restart();
    sampleRemainder_ = 0;
    timingRunning_ = true;
    BeginField();
}

// The source moves so that the capture start of the next odd field, one line
// into it, meets the source's aligned position.
void EmulatedChip::PlaceSource() {
    constexpr uint64_t kFrame = SignalLayout::kSamplesPerFrame;
    const uint64_t captureStart =
        TimingGenerator::OddFieldStart(TotalLines()) +
        uint64_t{FieldCapture::kRequiredVdelay} * TimingGenerator::kSamplesPerLine / 2;
    timebase_.AlignTo(SignalLayout::kAlignedPosition + kFrame + timing_.FramePosition() % kFrame -
                      captureStart % kFrame);
}

void EmulatedChip::RunSamples(uint64_t samples) {
    const uint32_t totalLines = TotalLines();
    while (true) {
        UpdateCapturePhase();
        const uint64_t chunk =
            std::min({samples, timing_.SamplesToFieldEnd(totalLines), SamplesToCaptureBoundary()});
        Feed(chunk);
        samples -= chunk;
        const TimingGenerator::Field field = timing_.CurrentField();
        if (timing_.Advance(chunk, totalLines)) {
            EndField(field);
            BeginField();
        } else if (samples == 0) {
            return;
        }
    }
}

uint64_t EmulatedChip::SamplesToCaptureBoundary() const {
    const uint64_t position = timing_.FieldPosition();
    switch (capturePhase_) {
        case CapturePhase::Waiting:
            return captureStart_ - position;
        case CapturePhase::Delivering:
            return captureEnd_ - position;
        case CapturePhase::Off:
        case CapturePhase::Done:
            break;
    }
    return std::numeric_limits<uint64_t>::max();
}

void EmulatedChip::UpdateCapturePhase() {
    const uint64_t position = timing_.FieldPosition();
    if (capturePhase_ == CapturePhase::Waiting && position >= captureStart_) {
        capturePhase_ = CapturePhase::Delivering;
        if (FieldCaptureEnabled(timing_.CurrentField())) {
            DeliverStatus(kStatusFm1);
            if (dma_.TakeFieldSynchronised()) {
                synthesizer_.OnCapturedFieldStart();
            }
        }
    }
    if (capturePhase_ == CapturePhase::Delivering && position >= captureEnd_) {
        capturePhase_ = CapturePhase::Done;
    }
}

bool EmulatedChip::FieldCaptureEnabled(TimingGenerator::Field field) const {
    const uint32_t bit =
        field == TimingGenerator::Field::Even ? kCapCtlCaptureEven : kCapCtlCaptureOdd;
    return (Reg(kCapCtl) & bit) != 0 && (Reg(kGpioDmaCtl) & kDmaCtlFifoEnable) != 0;
}

FieldCapture::Plan EmulatedChip::PlanFor(TimingGenerator::Field field) const {
    const uint32_t half = field == TimingGenerator::Field::Odd ? kOddFieldOffset : 0;
    const FieldCapture::Registers registers{
        Reg(kIform),           Reg(kTdec),     Reg(kEcrop + half), Reg(kEvdelayLo + half),
        Reg(kEcontrol + half), Reg(kColorFmt), Reg(kTest),         Reg(kVbiPackDel)};
    return FieldCapture::Evaluate(registers, field, DecoderClock() == ClockSource::Pll);
}

void EmulatedChip::BeginField() {
    capturePhase_ = CapturePhase::Off;
    const TimingGenerator::Field field = timing_.CurrentField();
    if (!FieldCaptureEnabled(field)) {
        return;
    }
    const FieldCapture::Plan plan = PlanFor(field);
    if (plan.notModelled != nullptr) {
        NoteUnmodelled(plan.notModelled);
        return;
    }
    captureStart_ = plan.start_samples;
    captureEnd_ = plan.start_samples + uint64_t{plan.packets} * FieldCapture::kPacketBytes;
    capturePhase_ = CapturePhase::Waiting;
}

void EmulatedChip::EndField(TimingGenerator::Field field) {
    const uint32_t bit =
        field == TimingGenerator::Field::Even ? kCapCtlCaptureEven : kCapCtlCaptureOdd;
    if ((Reg(kCapCtl) & bit) != 0) {
        ++fieldCount_;
        if (FieldCaptureEnabled(field) && PlanFor(field).notModelled == nullptr) {
            DeliverStatus(field == TimingGenerator::Field::Even ? kStatusVre : kStatusVro);
        }
    }
    if (ClockIsStable() && InputReception() != Reception::None) {
        numl_ = numl_ || ++fields625_ >= kFieldsToChangeStandard;
    } else {
        fields625_ = 0;
    }
}

// Data goes to a running DMA controller; with none draining the FIFO, it
// overflows.
void EmulatedChip::Feed(uint64_t samples) {
    if (samples == 0) {
        return;
    }
    if (capturePhase_ == CapturePhase::Delivering && !FieldCaptureEnabled(timing_.CurrentField())) {
        capturePhase_ = CapturePhase::Done;
    }
    if (capturePhase_ != CapturePhase::Delivering) {
        synthesizer_.Skip(samples);
        return;
    }
    if (dma_.IsRunning()) {
        dma_.ReceiveData(samples, synthesizer_);
        CollectDmaStatus();
        return;
    }
    synthesizer_.Skip(samples);
    undrained_ += samples;
    if (undrained_ > kFifoBytes) {
        Reg(kIntStat) |= kIntFbus;
    }
}

void EmulatedChip::DeliverStatus(uint32_t code) {
    if (dma_.IsRunning()) {
        dma_.ReceiveStatus(code);
        CollectDmaStatus();
    } else if ((undrained_ += 4) > kFifoBytes) {
        Reg(kIntStat) |= kIntFbus;
    }
}

void EmulatedChip::NoteUnmodelled(const char* reason) {
    ++diagnostics_.unmodelledCaptures;
    diagnostics_.lastUnmodelled = reason;
}

// RISC_ENABLE's rising edge starts the controller from RISC_STRT_ADD; its
// falling edge stops it.
void EmulatedChip::UpdateDmaControl() {
    const bool enable = (Reg(kGpioDmaCtl) & kDmaCtlRiscEnable) != 0;
    if (enable && !riscEnabled_) {
        undrained_ = 0;
        dmaFaultNoted_ = false;
        dma_.Start(Reg(kRiscStrtAdd));
        CollectDmaStatus();
    } else if (!enable && riscEnabled_) {
        dma_.Stop();
    }
    riscEnabled_ = enable;
}

// The controller's errors become INT_STAT bits; the model's own limits are
// diagnostics, not chip status.
void EmulatedChip::CollectDmaStatus() {
    Reg(kIntStat) |= dma_.TakeInterruptBits();
    if (dmaFaultNoted_) {
        return;
    }
    if (dma_.CurrentState() == DmaEngine::State::ModelFault) {
        ++diagnostics_.modelFaults;
        dmaFaultNoted_ = true;
    } else if (dma_.LastFault() == DmaEngine::Fault::NotModelled) {
        NoteUnmodelled(dma_.NotModelledReason());
        dmaFaultNoted_ = true;
    }
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

void EmulatedChip::StartAccessLog() {
    std::lock_guard lock(modelLock_);
    log_.Start();
}

std::vector<RegisterAccessLog::Access> EmulatedChip::TakeAccessLog() {
    std::lock_guard lock(modelLock_);
    return log_.Take();
}
