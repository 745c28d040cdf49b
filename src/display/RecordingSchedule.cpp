#include "display/RecordingSchedule.h"

#include <cstdio>
#include <limits>

#include "platform/Clock.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

namespace {

constexpr int64_t kSecondsPerMinute = 60;

int64_t Now() {
    return CurrentClock().CalendarSeconds();
}

// "%H:%M:%S" of a time span: hours within the day, minutes, seconds.
std::string FormatSpan(int64_t span_s) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(span_s / 3600 % 24),
                  static_cast<int>(span_s / 60 % 60), static_cast<int>(span_s % 60));
    return text;
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    return sum;
}

}  // namespace

RecordingSchedule::RecordingSchedule() : start_s_(Now()) {}

void RecordingSchedule::SetArmed(bool armed) {
    SingleLock lock(lock_);
    LockPumping(lock);
    armed_ = armed;
}

bool RecordingSchedule::IsArmed() const {
    SingleLock lock(lock_);
    LockPumping(lock);
    return armed_;
}

void RecordingSchedule::SetStart(int64_t start_s) {
    SingleLock lock(lock_);
    LockPumping(lock);
    start_s_ = start_s;
}

void RecordingSchedule::SetDurationMinutes(int minutes) {
    SingleLock lock(lock_);
    LockPumping(lock);
    durationSeconds_ = int64_t{minutes} * kSecondsPerMinute;
    end_s_ = SaturatingAdd(start_s_, durationSeconds_);
}

int64_t RecordingSchedule::GetDuration() const {
    SingleLock lock(lock_);
    LockPumping(lock);
    return durationSeconds_;
}

bool RecordingSchedule::IsInWindow() const {
    SingleLock lock(lock_);
    LockPumping(lock);
    const int64_t now = Now();
    return start_s_ < now && now < end_s_;
}

bool RecordingSchedule::HasEnded() const {
    SingleLock lock(lock_);
    LockPumping(lock);
    return Now() > end_s_;
}

// The clock is read up to three times, as the window can begin or end between
// the reads; the countdown is always taken from the first reading.
std::string RecordingSchedule::GetStatusText() const {
    SingleLock lock(lock_);
    LockPumping(lock);
    if (!armed_) {
        return std::string();
    }
    const int64_t now = Now();
    if (IsInWindow() && !(end_s_ < Now())) {
        return "Rec " + FormatSpan(end_s_ - now);
    }
    if (now < start_s_) {
        return "Waiting " + FormatSpan(start_s_ - now);
    }
    return std::string();
}
