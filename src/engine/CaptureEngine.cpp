#include "engine/CaptureEngine.h"

#include <filesystem>

#include "display/RecordingSchedule.h"
#include "display/StatusOverlay.h"
#include "engine/HorizontalLock.h"
#include "hardware/Bt848Risc.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"
#include "platform/DeviceContext.h"
#include "platform/LockPumping.h"
#include "platform/PerformanceLog.h"
#include "platform/SingleLock.h"
#include "platform/VideoSurface.h"

namespace {

constexpr int kFrameWidth = 360;
constexpr int kFrameHeight = 288;
constexpr int kRiscLineWrites = 674;
constexpr uint32_t kRiscLineBytes = 1'024;

// Writes little-endian 32-bit words into the DMA program buffer.
class ProgramWriter {
public:
    explicit ProgramWriter(uint8_t* buffer) : cursor_(buffer) {}
    void Word(uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            *cursor_++ = static_cast<uint8_t>(value >> (8 * i));
        }
    }

private:
    uint8_t* cursor_;
};

}  // namespace

CaptureEngine::CaptureEngine(CaptureCard* card, VideoSurface* surface, int originX, int originY,
                             const Services& services)
    : AviRecorder(*services.dialog, services.optionsFile, services.postPowerOff),
      ChannelStore(services.channelFile),
      card_(card),
      surface_(surface),
      videoRect_{originX, originY, originX + kFrameWidth, originY + kFrameHeight},
      frameTap_(*services.frameTap) {
    captureBuffer_.size = kCaptureBufferBytes;
    card_->AllocateBuffer(captureBuffer_);
    riscProgram_.size = kRiscProgramBytes;
    card_->AllocateBuffer(riscProgram_);
    ProgramChip();
    hAdjust_ = correctedFrequency_ = card_->GetPllFrequency();
    frameRecord_ = std::make_unique<FrameRecord>();
    // A missing file is no loss; a damaged one is kept for the user.
    channelFileComplete_ = Load() || !std::filesystem::exists(ChannelFilePath());
    overlay_ = std::make_unique<StatusOverlay>(this);
    schedule_ = std::make_unique<RecordingSchedule>();
}

CaptureEngine::~CaptureEngine() {
    card_->SetTestControl(1);
    card_->SetTotalLines(1);
    card_->SetCapture(0);
    card_->SetFifoEnable(0);
    card_->SetRiscEnable(0);
    card_->FreeBuffer(riscProgram_);
    card_->FreeBuffer(captureBuffer_);
    frameRecord_.reset();
    overlay_.reset();
    schedule_.reset();
    // Only a list changed here is written back: writing the list loaded at
    // start at every exit would undo what another copy of the program (or
    // the Channels dialog) saved meanwhile. A channel file that could not be
    // read completely is kept for the user rather than overwritten with the
    // part that could be read.
    if (channelFileComplete_ && HasChanges()) {
        Save();
    }
}

void CaptureEngine::ProgramChip() {
    card_->SelectCrystal(2);
    card_->SetPllFrequency(kConfiguredPllFrequency);
    card_->SetTimingClock(1);
    card_->SelectInput(2);
    card_->SetVideoFormat(3);
    card_->SetComponentVideo(0);
    card_->SetFieldAlign(1);
    card_->SetDecimation(0);
    card_->SetSourceWindow(190, 914, 2, 622);
    card_->SetOutputSize(768, 576);
    card_->SetTotalLines(625);
    card_->SetColorFormat(14);
    card_->SetTestControl(239);
    card_->SetExtendedFrame(1);
    card_->SetCapture(0);
    BuildCaptureProgram();
    card_->SetRiscStart(riscProgram_.physical);
    card_->SetRiscEnable(1);
    card_->SetFifoEnable(1);
    card_->SetCapture(1);
}

// A vertical re-sync, a field-start sync, 674 line writes that fill the
// capture buffer from its first byte, and a jump back to the start, so the
// chip refills the buffer for ever.
void CaptureEngine::BuildCaptureProgram() {
    ProgramWriter program(riscProgram_.linear);
    program.Word(bt848::RiscSyncEvenField());
    program.Word(0);
    program.Word(bt848::RiscSyncFm1());
    program.Word(0);
    for (int k = 0; k < kRiscLineWrites; ++k) {
        program.Word(bt848::RiscWriteLine(kRiscLineBytes));
        program.Word(captureBuffer_.physical + kRiscLineBytes * static_cast<uint32_t>(k));
    }
    program.Word(bt848::RiscJump());
    program.Word(riscProgram_.physical);
}

FrameRecord* CaptureEngine::GetFrameRecord() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return frameRecord_.get();
}

CaptureCard* CaptureEngine::GetCard() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return card_;
}

StatusOverlay* CaptureEngine::GetOverlay() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return overlay_.get();
}

RecordingSchedule* CaptureEngine::GetSchedule() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return schedule_.get();
}

// The 2 ms sleep comes after the engine lock is released. Sleeping with the
// lock held made every user-interface operation wait out the rest of the
// sleep as well as the pass's work (a 99th percentile of about 6 ms under
// load, against 5 ms allowed); released, the operation runs during the sleep,
// which is still between two passes, so what it sees and changes is the same.
void CaptureEngine::FrameStep() {
    {
        SingleLock lock(engineLock_);
        LockPumping(lock);
        PollFrame();
    }
    CurrentClock().SleepMs(2);
}

void CaptureEngine::PollFrame() {
    currentFieldCount_ = card_->GetFieldCount();
    if (card_->IsEvenField() && currentFieldCount_ != lastFieldCount_) {
        if (const uint8_t* samples = captureBuffer_.linear) {
            // Before the lock moves the PLL, so the tap reads back the rate
            // this frame was sampled at.
            frameTap_.OnFrame(samples, currentFieldCount_, *card_);
            if (autoHLock_) {
                RunHorizontalLock(samples);
            }
            ShowFrame(samples, invertTest_ ? FrameConverter::DetectPolarity(samples)
                                           : FrameConverter::Polarity::kNormal);
            PerformanceLog::FrameTaken(currentFieldCount_);
        }
        lastFieldCount_ = currentFieldCount_;
    }
}

// The correction is always taken from the adjustment, never accumulated, so
// the programmed frequency stays within 60 Hz of it.
void CaptureEngine::RunHorizontalLock(const uint8_t* samples) {
    correctedFrequency_ = HorizontalLock::CorrectedFrequency_hz(samples, hAdjust_);
    if (card_->GetPllFrequency() != correctedFrequency_) {
        card_->SetPllFrequency(correctedFrequency_);
    }
}

// The recorder gets the frame without the overlay, which is painted for the
// screen only.
void CaptureEngine::ShowFrame(const uint8_t* samples, FrameConverter::Polarity polarity) {
    FrameConverter::Convert(samples, polarity, *frameRecord_);
    if (surface_ != nullptr) {
        surface_->Present(frameRecord_->Pixels(), [this](QPainter& painter, const QRect&) {
            DeviceContext dc(painter);
            overlay_->Draw(dc, videoRect_);
        });
    }
    if (IsRecording()) {
        WriteFrame(frameRecord_->Data());
    }
}

int CaptureEngine::StepHAdjust(int steps) {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    card_->SetPllFrequency(hAdjust_ + 20 * steps);
    hAdjust_ = card_->GetPllFrequency();
    return hAdjust_;
}

int CaptureEngine::SetHAdjust(int frequency_hz) {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    card_->SetPllFrequency(frequency_hz);
    hAdjust_ = card_->GetPllFrequency();
    return hAdjust_;
}

int CaptureEngine::GetHAdjust() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return hAdjust_;
}

int CaptureEngine::StepVAdjust(int delta) {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    card_->SetTotalLines(card_->GetTotalLines() + delta);
    return card_->GetTotalLines();
}

int CaptureEngine::SetVAdjust(int lines) {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    card_->SetTotalLines(lines);
    return card_->GetTotalLines();
}

int CaptureEngine::GetVAdjust() {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    return card_->GetTotalLines();
}

bool CaptureEngine::TuneToChannel(int index) {
    SingleLock lock(engineLock_);
    LockPumping(lock);
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    card_->Tune(static_cast<int>(int64_t{GetChannelFrequency(index)} * 1'000'000));
    return true;
}
