#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "emulator/ChipPll.h"
#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "emulator/TunerModule.h"
#include "platform/RegisterWindow.h"
#include "support/EmulatorTestBus.h"

// Drives an emulated card the way the capture engine does: maps the register
// window, allocates the capture and program buffers, sets the chip up for raw
// samples, programs the clock and writes the engine's DMA program. Register
// offsets and values are written out as the chip's register map gives them.
// Time moves only through the card.
class EmulatorCaptureRig {
public:
    static constexpr uint32_t kCaptureSize = 691'200;
    static constexpr uint32_t kProgramSize = 7'168;
    static constexpr uint32_t kWrites = 674;
    static constexpr uint32_t kWriteBytes = 1'024;
    static constexpr uint32_t kFilled = kWrites * kWriteBytes;  // 690,176
    static constexpr uint8_t kUntouched = 0xFF;                 // a value the signal never carries

    explicit EmulatorCaptureRig(EmulatedCard& card, size_t chip = 0)
        : card_(card), driver_(card.Driver()) {
        driver_.Open();
        window_ = driver_.MapRegisters(
            EmulatedCard::kFirstBar0 + static_cast<uint32_t>(chip) * EmulatedCard::kBarSpacing,
            RegisterWindow::kSize);
        driver_.AllocateBuffer(kCaptureSize, &capture_, &capturePhysical_);
        driver_.AllocateBuffer(kProgramSize, &program_, &programPhysical_);
        driver_.Close();
        std::memset(capture_, kUntouched, kCaptureSize);
    }

    RegisterWindow& Window() { return *window_; }
    uint8_t* Capture() { return capture_; }
    uint32_t CapturePhysical() const { return capturePhysical_; }
    uint8_t* Program() { return program_; }
    uint32_t ProgramPhysical() const { return programPhysical_; }

    uint32_t Read(uint32_t offset) { return window_->read32(offset); }
    void Write(uint32_t offset, uint32_t value) { window_->write32(offset, value); }

    // The raw-sample configuration: input 2 with crystal XT1 and PAL B/G,
    // raw 8-bit samples in both fields, test register 0xEF, extended frame,
    // vertical delay 2.
    void ConfigureRawCapture() {
        Write(ChipRegisters::kIform, 0x53);
        Write(ChipRegisters::kColorFmt, 0xEE);
        Write(ChipRegisters::kTest, 0xEF);
        Write(ChipRegisters::kVbiPackDel, 0x02);
        Write(ChipRegisters::kEvdelayLo, 2);
        Write(ChipRegisters::kOvdelayLo, 2);
    }

    // The engine's PLL setting (35,438,456 Hz read back) with the timing
    // generator clocked by the PLL, and 625 lines; returns once the PLL has
    // locked.
    void StartClock(uint32_t xci = 0x8E, uint32_t high = 0xD9, uint32_t low = 0xB4) {
        Write(ChipRegisters::kPllXci, xci);
        Write(ChipRegisters::kPllFHi, high);
        Write(ChipRegisters::kPllFLo, low);
        SetTotalLines(625);
        Write(ChipRegisters::kTgctrl, ChipRegisters::kTgckiPll << ChipRegisters::kTgctrlTgckiShift);
        card_.AdvanceUs(ChipPll::kLockTime_us);
    }

    void SetTotalLines(uint32_t lines) {
        Write(ChipRegisters::kVtotalLo, (lines - 1) & 0xFF);
        Write(ChipRegisters::kVtotalHi, ((lines - 1) >> 8) & 3);
    }

    // Tunes the tuner to station `index`, to the whole megahertz below its
    // carrier as a channel list holds it.
    void TuneStation(size_t index) {
        const int64_t carrier = card_.StationCarrier_hz(index);
        EmulatorTestBus(*window_).Tune(carrier / 1'000'000 * 1'000'000,
                                       TunerModule::BandFor(carrier));
    }

    void WriteProgram(const std::vector<uint32_t>& words) {
        std::memcpy(program_, words.data(), words.size() * 4);
    }

    std::vector<uint32_t> EngineProgram() const {
        std::vector<uint32_t> words = {0x8000'8004u, 0, 0x8000'0006u, 0};
        for (uint32_t k = 0; k < kWrites; ++k) {
            words.push_back(0x1C00'0400u);
            words.push_back(capturePhysical_ + kWriteBytes * k);
        }
        words.push_back(0x7C00'0000u);
        words.push_back(programPhysical_);
        return words;
    }

    // The engine's order: start address, DMA controller, FIFO, capture.
    void StartCapture() {
        Write(ChipRegisters::kRiscStrtAdd, programPhysical_);
        Write(ChipRegisters::kGpioDmaCtl, 2);
        Write(ChipRegisters::kGpioDmaCtl, 3);
        Write(ChipRegisters::kCapCtl, 3);
    }

    // Everything the engine does, then emulated time up to an even field
    // before which a whole odd field was captured.
    void StartEngineCapture() {
        ConfigureRawCapture();
        StartClock();
        WriteProgram(EngineProgram());
        StartCapture();
        NextEvenField();
        NextEvenField();
    }

    // Advances in 100 us steps until a new even field has begun: the odd
    // field that ended then is in the capture buffer.
    void NextEvenField() {
        uint32_t count = Read(ChipRegisters::kFcap);
        for (int step = 0; step < 1'000; ++step) {
            card_.AdvanceUs(100);
            bool even = (Read(ChipRegisters::kDstatus) & ChipRegisters::kDstatusField) != 0;
            if (even && Read(ChipRegisters::kFcap) != count) {
                return;
            }
        }
    }

    // The frame loop's edge search: first i in 0 ... 255 with a 4-sample sum
    // of at least 200 from byte 2,216 + i; 256 when there is none.
    int LockIndex() const {
        for (int i = 0; i < 256; ++i) {
            const uint8_t* s = capture_ + 2216 + i;
            if (s[0] + s[1] + s[2] + s[3] >= 200) {
                return i;
            }
        }
        return 256;
    }

private:
    EmulatedCard& card_;
    PhysMemDriver& driver_;
    RegisterWindow* window_ = nullptr;
    uint8_t* capture_ = nullptr;
    uint32_t capturePhysical_ = 0;
    uint8_t* program_ = nullptr;
    uint32_t programPhysical_ = 0;
};
