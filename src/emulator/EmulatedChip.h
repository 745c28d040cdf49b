#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "emulator/DmaEngine.h"
#include "emulator/I2cTunerSlave.h"
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
        uint64_t driverErrors =
            0;  // misaligned or outside the window, writes to read-only registers
        uint32_t lastNotModelledOffset = 0;
    };

    struct TunerState {
        int64_t carrier_hz = 0;
        uint32_t divider = 0;
        uint8_t controlByte = 0;
        uint8_t bandByte = 0;
        uint32_t messages = 0;
    };

    // The input the system selects (MUXSEL 2) carries the tuner, or
    // `fixedInput` (a camera, a video file) when that isn't null.
    EmulatedChip(std::mutex& modelLock, EmulatedClock& clock, EmulatedPhysMem& memory,
                 StationBand& band, LineSource* fixedInput, uint64_t seed);

    uint32_t read32(uint32_t offset) override;
    void write32(uint32_t offset, uint32_t value) override;
    void write8(uint32_t offset, uint8_t value) override;

    // Moves emulated time on by `duration_us`. Caller holds the model lock.
    void AdvanceLocked(uint64_t duration_us);

    // Sample clock from the PLL registers (0 while the timing generator is stopped).
    uint64_t SampleRate_hz() const;

    Diagnostics GetDiagnostics() const;
    TunerState GetTunerState() const;
    DmaEngine::Fault DmaFault() const;
    DmaEngine::State DmaState() const;
    void SetRateWalk(SourceTimebase::RateWalk walk, int64_t offset_hz);
    void SetMotion(SignalSynthesizer::Motion motion);
    // The trace runs with the model lock held.
    void SetI2cTrace(I2cTunerSlave::Trace trace);

private:
    uint32_t ReadLocked(uint32_t offset);
    void WriteLocked(uint32_t offset, uint32_t value);
    uint32_t Dstatus() const;
    uint32_t StatusOfInput() const;
    uint32_t TotalLines() const;
    void StartTiming();
    void SelectSource();
    void UpdateDmaEnable();
    void DriveI2cLines();
    void NoteDmaFault();
    uint32_t& Reg(uint32_t offset) { return registers_[offset / 4]; }
    uint32_t Reg(uint32_t offset) const { return registers_[offset / 4]; }

    std::mutex& modelLock_;
    EmulatedClock& clock_;
    EmulatedPhysMem& memory_;
    StationBand& band_;
    LineSource* fixedInput_;
    std::array<uint32_t, kSize / 4> registers_{};
    TimingGenerator timing_;
    SourceTimebase timebase_;
    SignalSynthesizer synthesizer_;
    DmaEngine dma_;
    TunerModule tuner_;
    I2cTunerSlave i2c_;
    Diagnostics diagnostics_;
    uint64_t now_us_ = 0;
    uint64_t sampleRemainder_ = 0;
    bool timingRunning_ = false;
    bool dmaEnabled_ = false;
    bool faultReported_ = false;
};
