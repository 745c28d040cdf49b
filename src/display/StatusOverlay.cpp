#include "display/StatusOverlay.h"

#include "display/RecordingSchedule.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"
#include "platform/DeviceContext.h"
#include "platform/DiskSpaceService.h"
#include "platform/FontMap.h"
#include "platform/LockPumping.h"
#include "platform/PerformanceLog.h"
#include "platform/SingleLock.h"
#include "util/ExtString.h"
#include "util/PathUtils.h"

namespace {

constexpr const char* kTitle = "QuorvTV CCD+VCR (Build 1762, Oct 24 1999)\n";
constexpr int kInset = 5;

QRect Shrunk(const VideoRect& r) {
    return QRect(QPoint(r.left + kInset, r.top + kInset),
                 QPoint(r.right - kInset - 1, r.bottom - kInset - 1));
}

std::string Formatted(uint64_t value) {
    ExtString text;
    return text.FormatNumber(value).Text();
}

}  // namespace

StatusOverlay::StatusOverlay(CaptureEngine* engine)
    : engine_(engine),
      textFont_(MapFont({"Terminal", -11, 0})),
      symbolFont_(MapFont({"WebDings", -16, 700})) {
    SingleLock lock(lock_);
    LockPumping(lock);
    textVisible_ = true;
    hideDeadline_ = CurrentClock().TickCount() + kVisibleAfterTouch_ms;
}

StatusOverlay::~StatusOverlay() = default;

void StatusOverlay::Show(int on) {
    SingleLock lock(lock_);
    LockPumping(lock);
    textVisible_ = on != 0;
    if (on) {
        hideDeadline_ = CurrentClock().TickCount() + kVisibleAfterTouch_ms;
    }
}

std::string StatusOverlay::Text() {
    SingleLock lock(lock_);
    LockPumping(lock);
    return text_;
}

bool StatusOverlay::IsTextVisible() {
    SingleLock lock(lock_);
    LockPumping(lock);
    return textVisible_;
}

void StatusOverlay::Draw(DeviceContext& dc, const VideoRect& video) {
    SingleLock lock(lock_);
    LockPumping(lock);
    ++framesDrawn_;
    if (textVisible_) {
        const QFont previous = dc.SelectFont(textFont_);
        dc.SetBkColor(QColor(0, 0, 0));
        dc.SetTextColor(QColor(0, 255, 0));
        dc.DrawText(QString::fromLatin1(text_.data(), static_cast<int>(text_.size())),
                    Shrunk(video), DrawTextFormat::kLeft | DrawTextFormat::kTop);
        dc.SelectFont(previous);
        // Signed difference: past the deadline, across the tick wrap.
        if (static_cast<int32_t>(CurrentClock().TickCount() - hideDeadline_) > 0) {
            textVisible_ = false;
        }
    }
    if (engine_->IsOpen()) {
        const QFont previousFont = dc.SelectFont(symbolFont_);
        const BackgroundMode previousMode = dc.SetBkMode(BackgroundMode::Transparent);
        dc.SetTextColor(blink_ ? QColor(100, 0, 0) : QColor(255, 0, 0));
        // '=' is the record circle of the symbol font, ';' the pause bars.
        dc.DrawText(QString(engine_->IsRecording() ? QChar('=') : QChar(';')), Shrunk(video),
                    DrawTextFormat::kRight);
        dc.SelectFont(previousFont);
        dc.SetBkMode(previousMode);
    }
    const uint32_t now = CurrentClock().TickCount();
    if (!rebuiltOnce_ || TicksElapsed(now, lastRebuild_, kRebuildInterval_ms)) {
        Rebuild();
        framesDrawn_ = 0;
        lastRebuild_ = CurrentClock().TickCount();
        rebuiltOnce_ = true;
    }
}

std::string StatusOverlay::FrequencyText() {
    const int frequency_hz = engine_->GetCard()->GetFrequency();
    std::string text = Formatted(static_cast<uint32_t>(frequency_hz) / 1'000'000) + " Mhz";
    const int index = engine_->FindChannel(static_cast<uint32_t>(frequency_hz));
    if (index != -1 && index < engine_->GetCount()) {
        text += " (" + engine_->GetChannelName(index) + ")";
    }
    return text;
}

// Empty when the disk is nearly full (the recording is then ended) or when
// the free space can't be read: a failed query must never end a recording.
std::string StatusOverlay::DiskFreeText() {
    const std::optional<uint64_t> free = CurrentDiskSpaceService().FreeBytes(engine_->GetPath());
    if (!free) {
        return {};
    }
    if (engine_->IsRecording() && *free < kLowDiskBytes) {
        LowDiskReaction();
        return {};
    }
    return "DF: " + Formatted(*free);
}

void StatusOverlay::Rebuild() {
    blink_ = !blink_;
    PerformanceLog::FramesShown(framesDrawn_, CurrentClock().TickCount() - lastRebuild_);
    const std::string fpsText = std::to_string(framesDrawn_) + " Fps";
    const std::string frequencyText = FrequencyText();
    const std::string diskFreeText = engine_->IsRecording() ? DiskFreeText() : std::string();
    const std::string path = engine_->GetPath();
    std::string fileText = path.empty() ? std::string() : FileNameOfPath(path);
    if (!fileText.empty() && engine_->HasWriteError()) {
        fileText += " (write error)";
    }
    RecordingSchedule* schedule = engine_->GetSchedule();
    const std::string scheduleText =
        schedule->IsArmed() ? schedule->GetStatusText() : std::string();

    text_ = kTitle + fpsText + " / " + frequencyText;
    if (!fileText.empty()) {
        text_ += "\n" + fileText;
    }
    if (!diskFreeText.empty()) {
        text_ += " / " + diskFreeText;
    }
    if (!scheduleText.empty()) {
        text_ += "\n" + scheduleText;
    }
}

// A recording that fills the disk to within 10 MiB ends, and the computer is
// switched off whether or not the user asked for it.
void StatusOverlay::LowDiskReaction() {
    engine_->SetRecording(false);
    engine_->SetPowerOffAfter(true);
    engine_->GetSchedule()->SetArmed(false);
    engine_->Close();
    engine_->RequestPowerOff();
}
