#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "emulator/ChipPll.h"
#include "emulator/DmaEngine.h"
#include "emulator/FieldCapture.h"
#include "emulator/I2cTunerSlave.h"
#include "emulator/Reception.h"
#include "emulator/RegisterAccessLog.h"
#include "emulator/SignalSynthesizer.h"
#include "emulator/SourceTimebase.h"
#include "emulator/TimingGenerator.h"
#include "emulator/TunerModule.h"
#include "platform/RegisterWindow.h"

class EmulatedClock;
class EmulatedPhysMem;
class LineSource;
class StationBand;

// One emulated capture chip of the Bt848 family, reached through its register
// window (see EmulatedChip.cpp for what is modelled).
//
// Thread safety: every public call takes the model lock given at construction;
// AdvanceLocked expects the caller (EmulatedClock) to hold it.
class EmulatedChip : public RegisterWindow {
public:
    struct Diagnostics {
        uint64_t notModelled = 0;  // accesses to registers the model doesn't know
        uint32_t lastNotModelledOffset = 0;
        // misaligned or outside the window, writes to read-only registers
        uint64_t driverErrors = 0;
        // captures (fields or instructions) the model can't produce: nothing delivered
        uint64_t unmodelledCaptures = 0;
        const char* lastUnmodelled = "";
        // the DMA controller ran past the model's instruction budget
        uint64_t modelFaults = 0;
    };

    struct TunerState {
        int64_t carrier_hz = 0;
        uint32_t divider = 0;
        uint8_t controlByte = 0;
        uint8_t bandByte = 0;
        uint32_t messages = 0;
    };

    // The input the system selects (MUXSEL 2) carries the tuner, or
    // `fixedInput` (a camera, a video file) when that isn't null. The card's
    // crystal is off nominal by `crystalError_ppb` (parts per 10^9).
    EmulatedChip(std::mutex& modelLock, EmulatedClock& clock, EmulatedPhysMem& memory,
                 StationBand& band, LineSource* fixedInput, uint64_t seed,
                 int64_t crystalError_ppb = 0);

    uint32_t read32(uint32_t offset) override;
    void write32(uint32_t offset, uint32_t value) override;
    void write8(uint32_t offset, uint8_t value) override;

    // Moves emulated time on by `duration_us`. Caller holds the model lock.
    void AdvanceLocked(uint64_t duration_us);

    // The decoder's sample clock now (0 while it has none).
    uint64_t SampleRate_hz() const;

    Diagnostics GetDiagnostics() const;
    TunerState GetTunerState() const;
    DmaEngine::Fault DmaFault() const;
    DmaEngine::State DmaState() const;
    void SetRateWalk(SourceTimebase::RateWalk walk, int64_t offset_hz);
    void SetMotion(SignalSynthesizer::Motion motion);
    // The trace runs with the model lock held.
    void SetI2cTrace(I2cTunerSlave::Trace trace);

    // Records every register access from now on (clearing what was recorded).
    void StartAccessLog();
    std::vector<RegisterAccessLog::Access> TakeAccessLog();

private:
    enum class ClockSource { None, Pll, Crystal, NotModelled };
    enum class CapturePhase { Off, Waiting, Delivering, Done };

    uint32_t ReadLocked(uint32_t offset);
    void WriteLocked(uint32_t offset, uint32_t value);
    uint32_t Dstatus() const;
    uint32_t IntStat() const;
    uint32_t StatusOfInput() const;
    Reception InputReception() const;
    uint32_t TotalLines() const;
    ClockSource DecoderClock() const;
    uint64_t DecoderClock_hz(ClockSource source) const;
    bool ClockIsStable() const;
    void StartTiming();
    void PlaceSource();
    void SelectSource();
    void NoteOverload();
    void RunSamples(uint64_t samples);
    uint64_t SamplesToCaptureBoundary() const;
    void UpdateCapturePhase();
    void BeginField();
    void EndField(TimingGenerator::Field field);
    void Feed(uint64_t samples);
    void DeliverStatus(uint32_t code);
    FieldCapture::Plan PlanFor(TimingGenerator::Field field) const;
    bool FieldCaptureEnabled(TimingGenerator::Field field) const;
    void NoteUnmodelled(const char* reason);
    void UpdateDmaControl();
    void CollectDmaStatus();
    void DriveI2cLines();
    uint32_t& Reg(uint32_t offset) { return registers_[offset / 4]; }
    uint32_t Reg(uint32_t offset) const { return registers_[offset / 4]; }

    std::mutex& modelLock_;
    EmulatedClock& clock_;
    StationBand& band_;
    LineSource* fixedInput_;
    std::array<uint32_t, kSize / 4> registers_{};
    ChipPll pll_;
    TimingGenerator timing_;
    SourceTimebase timebase_;
    SignalSynthesizer synthesizer_;
    DmaEngine dma_;
    TunerModule tuner_;
    I2cTunerSlave i2c_;
    RegisterAccessLog log_;
    Diagnostics diagnostics_;
    uint64_t now_us_ = 0;
    uint64_t sampleRemainder_ = 0;
    bool timingRunning_ = false;
    bool placed_ = false;
    bool clockNotModelledNoted_ = false;
    CapturePhase capturePhase_ = CapturePhase::Off;
    uint64_t captureStart_ = 0;
    uint64_t captureEnd_ = 0;
    uint8_t fieldCount_ = 0;
    uint32_t fields625_ = 0;
    bool numl_ = false;
    bool riscEnabled_ = false;
    uint64_t undrained_ = 0;
    bool dmaFaultNoted_ = false;
};
