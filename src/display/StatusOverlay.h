#pragma once

#include <QFont>
#include <QString>
#include <cstdint>

#include "engine/CaptureEngine.h"
#include "platform/Mutex.h"

class DeviceContext;

// The status text and the recording symbol painted over the live video.
//
// Draw runs on the frame thread once per displayed frame, with the engine lock
// held; Show runs on the user-interface thread. Every operation takes the
// overlay's own lock; while holding it Draw takes the recorder's, the channel
// store's, the card's and the schedule's locks, never the other way round.
class StatusOverlay {
public:
    static constexpr uint32_t kVisibleAfterTouch_ms = 2500;
    static constexpr uint32_t kRebuildInterval_ms = 1000;
    static constexpr uint64_t kLowDiskBytes = 10'485'760;

    explicit StatusOverlay(CaptureEngine* engine);
    virtual ~StatusOverlay();

    // Makes the text visible for the next 2.5 s (on), or hides it at the next
    // frame (off).
    void Show(int on);

    // Paints the text and the symbol into `video` (client coordinates) and
    // rebuilds the text at most once a second. The rate in the text is the
    // frames drawn since the previous rebuild over the time since it, rounded
    // to whole frames per second; the first rebuild, at the first frame, shows
    // "-- Fps".
    void Draw(DeviceContext& dc, const VideoRect& video);

    // The composed text as last rebuilt. Each piece is decoded from its own
    // encoding: channel names from Windows-1252, the file name as the file
    // system gives it (UTF-8).
    QString Text();
    bool IsTextVisible();

private:
    void Rebuild(uint32_t now);
    void LowDiskReaction();
    QString FpsText(uint32_t now);
    QString FrequencyText();
    QString FileText();
    QString DiskFreeText();

    Mutex lock_{"overlay", LockRank::kOverlay};
    CaptureEngine* engine_;
    QString text_;
    uint32_t lastRebuild_ = 0;
    bool rebuiltOnce_ = false;
    int framesDrawn_ = 0;
    bool textVisible_ = true;
    uint32_t hideDeadline_ = 0;
    bool blink_ = true;
    QFont textFont_;
    QFont symbolFont_;
};
