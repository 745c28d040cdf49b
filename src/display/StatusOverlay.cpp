#include "display/StatusOverlay.h"

#include <QFile>

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
#include "util/Windows1252.h"

namespace {

constexpr const char* kTitle = "QuorvTV CCD+VCR (Build 1762, Oct 24 1999)\n";
constexpr int kInset = 5;

QRect Shrunk(const VideoRect& r) {
    return QRect(QPoint(r.left + kInset, r.top + kInset),
                 QPoint(r.right - kInset - 1, r.bottom - kInset - 1));
}

QString Formatted(uint64_t value) {
    return QString::fromLatin1(ExtString().FormatNumber(value).Text());
}

// Shown until the first whole second has been measured.
constexpr const char* kUnmeasuredFps = "-- Fps";

// Frames per second for `frames` drawn over `interval_ms` (a second or more),
// rounded to the nearest whole number.
int FramesPerSecond(int frames, uint32_t interval_ms) {
    return static_cast<int>((uint64_t(frames) * 1000 + interval_ms / 2) / interval_ms);
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

QString StatusOverlay::Text() {
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
        dc.DrawText(text_, Shrunk(video), DrawTextFormat::kLeft | DrawTextFormat::kTop);
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
        Rebuild(now);
        framesDrawn_ = 0;
        lastRebuild_ = now;
        rebuiltOnce_ = true;
    }
}

// The frames drawn since the previous rebuild over the time since it. The
// window closes at the first frame a second or more after it opened, so it
// holds 25 or 26 frames of a steady 25 a second: the count alone would waver.
// The first rebuild, at the first frame, has no interval behind it: it opens
// the first window.
QString StatusOverlay::FpsText(uint32_t now) {
    if (!rebuiltOnce_) {
        return QString::fromLatin1(kUnmeasuredFps);
    }
    const uint32_t interval_ms = now - lastRebuild_;
    const int rate = FramesPerSecond(framesDrawn_, interval_ms);
    PerformanceLog::FramesShown(rate, framesDrawn_, interval_ms);
    return QString::number(rate) + QLatin1String(" Fps");
}

QString StatusOverlay::FrequencyText() {
    const int frequency_hz = engine_->GetCard()->GetFrequency();
    QString text = Formatted(static_cast<uint32_t>(frequency_hz) / 1'000'000) + " Mhz";
    const int index = engine_->FindChannel(static_cast<uint32_t>(frequency_hz));
    if (index != -1 && index < engine_->GetCount()) {
        text += " (" + FromWindows1252(engine_->GetChannelName(index)) + ")";
    }
    return text;
}

// The path comes from the file dialog or the command line, in the file
// system's encoding.
QString StatusOverlay::FileText() {
    const std::string path = engine_->GetPath();
    if (path.empty()) {
        return {};
    }
    const std::string name = FileNameOfPath(path);
    QString text = QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    if (!text.isEmpty() && engine_->HasWriteError()) {
        text += QLatin1String(" (write error)");
    }
    return text;
}

// Empty when the disk is nearly full (the recording is then ended) or when
// the free space can't be read: a failed query must never end a recording.
QString StatusOverlay::DiskFreeText() {
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

void StatusOverlay::Rebuild(uint32_t now) {
    blink_ = !blink_;
    const QString fpsText = FpsText(now);
    const QString frequencyText = FrequencyText();
    const QString diskFreeText = engine_->IsRecording() ? DiskFreeText() : QString();
    const QString fileText = FileText();
    RecordingSchedule* schedule = engine_->GetSchedule();
    const QString scheduleText =
        schedule->IsArmed() ? QString::fromLatin1(schedule->GetStatusText()) : QString();

    text_ = QLatin1String(kTitle) + fpsText + " / " + frequencyText;
    if (!fileText.isEmpty()) {
        text_ += "\n" + fileText;
    }
    if (!diskFreeText.isEmpty()) {
        text_ += " / " + diskFreeText;
    }
    if (!scheduleText.isEmpty()) {
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
