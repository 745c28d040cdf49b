#pragma once

#include <cstdint>
#include <string>

#include "platform/Mutex.h"

// One timed-recording window: a start time, a duration and an armed flag.
// Times are calendar seconds since 1970 (CurrentClock().CalendarSeconds()),
// held in 64 bits.
//
// Thread safety: every operation takes the schedule's own lock through
// LockPumping. The schedule never calls out while holding it, so it is the
// innermost lock of the program.
class RecordingSchedule {
public:
    // Disarmed, starting now, duration 0.
    RecordingSchedule();
    RecordingSchedule(const RecordingSchedule&) = delete;
    RecordingSchedule& operator=(const RecordingSchedule&) = delete;
    virtual ~RecordingSchedule() = default;

    void SetArmed(bool armed);
    bool IsArmed() const;

    // Sets the start; the end stays where SetDurationMinutes put it.
    void SetStart(int64_t start_s);

    // Sets the duration and the end (start + duration, saturating).
    void SetDurationMinutes(int minutes);

    // The duration in seconds.
    int64_t GetDuration() const;

    // True when start < now < end (both strict).
    bool IsInWindow() const;

    // True when now > end (strict).
    bool HasEnded() const;

    // The countdown shown on the video: empty when disarmed; "Waiting hh:mm:ss"
    // before the start; "Rec hh:mm:ss" inside the window; empty after the end
    // and at exactly the start or the end. Whole days are not shown: a start
    // 25 hours away reads "Waiting 01:00:00".
    std::string GetStatusText() const;

private:
    mutable Mutex lock_{"RecordingSchedule", LockRank::kSchedule};
    bool armed_ = false;
    int64_t start_s_ = 0;
    int64_t end_s_ = 0;
    int64_t durationSeconds_ = 0;
};
