#include "display/RecordingSchedule.h"

#include <gtest/gtest.h>

#include "support/ManualClock.h"

namespace {

constexpr int64_t kStart_s = 1'800'000'000;
constexpr int64_t kHour_s = 3600;

class RecordingScheduleTest : public ::testing::Test {
protected:
    void At(int64_t calendar_s) { clock_.SetCalendarSeconds(calendar_s); }

    ManualClock clock_;
    ScopedClock scope_{clock_};
};

struct StateCase {
    int64_t now_s;  // relative to the start
    bool inWindow;
    bool ended;
    const char* text;
};

// A 10-minute window seen at various moments.
TEST_F(RecordingScheduleTest, StatesAndCountdownsAroundTheWindow) {
    RecordingSchedule schedule;
    schedule.SetStart(kStart_s);
    schedule.SetDurationMinutes(10);
    schedule.SetArmed(true);
    const StateCase cases[] = {
        {-25 * kHour_s, false, false, "Waiting 01:00:00"},
        {-(49 * kHour_s + 61), false, false, "Waiting 01:01:01"},
        {-90, false, false, "Waiting 00:01:30"},
        {-1, false, false, "Waiting 00:00:01"},
        {0, false, false, ""},
        {1, true, false, "Rec 00:09:59"},
        {60, true, false, "Rec 00:09:00"},
        {599, true, false, "Rec 00:00:01"},
        {600, false, false, ""},
        {601, false, true, ""},
        {10 * kHour_s, false, true, ""},
    };
    for (const StateCase& c : cases) {
        At(kStart_s + c.now_s);
        EXPECT_EQ(schedule.IsInWindow(), c.inWindow) << c.now_s;
        EXPECT_EQ(schedule.HasEnded(), c.ended) << c.now_s;
        EXPECT_EQ(schedule.GetStatusText(), c.text) << c.now_s;
    }
}

TEST_F(RecordingScheduleTest, DisarmedShowsNothingButStillAnswersTheWindowQueries) {
    At(kStart_s);
    RecordingSchedule schedule;
    EXPECT_FALSE(schedule.IsArmed());
    EXPECT_EQ(schedule.GetDuration(), 0);
    schedule.SetDurationMinutes(1);
    At(kStart_s + 1);
    EXPECT_TRUE(schedule.IsInWindow()) << "starts at the time of construction";
    schedule.SetStart(kStart_s - 60);
    schedule.SetDurationMinutes(5);
    EXPECT_TRUE(schedule.IsInWindow());
    EXPECT_EQ(schedule.GetStatusText(), "");
    schedule.SetArmed(true);
    EXPECT_EQ(schedule.GetStatusText(), "Rec 00:03:59");
    schedule.SetArmed(false);
    EXPECT_EQ(schedule.GetStatusText(), "");
}

TEST_F(RecordingScheduleTest, ZeroDurationIsNeverInsideItsWindow) {
    RecordingSchedule schedule;
    schedule.SetStart(kStart_s);
    schedule.SetDurationMinutes(0);
    schedule.SetArmed(true);
    const StateCase cases[] = {
        {-5, false, false, "Waiting 00:00:05"},
        {0, false, false, ""},
        {1, false, true, ""},
    };
    for (const StateCase& c : cases) {
        At(kStart_s + c.now_s);
        EXPECT_EQ(schedule.IsInWindow(), c.inWindow) << c.now_s;
        EXPECT_EQ(schedule.HasEnded(), c.ended) << c.now_s;
        EXPECT_EQ(schedule.GetStatusText(), c.text) << c.now_s;
    }
}

TEST_F(RecordingScheduleTest, SetStartLeavesTheEndWhereTheDurationPutIt) {
    RecordingSchedule schedule;
    schedule.SetStart(kStart_s);
    schedule.SetDurationMinutes(10);
    schedule.SetStart(kStart_s + kHour_s);
    EXPECT_EQ(schedule.GetDuration(), 600);
    At(kStart_s + 300);
    EXPECT_FALSE(schedule.IsInWindow());
    EXPECT_FALSE(schedule.HasEnded());
    At(kStart_s + 601);
    EXPECT_TRUE(schedule.HasEnded());
}

// Times past 2038 and durations whose seconds need more than 31 bits.
TEST_F(RecordingScheduleTest, CalendarTimesAndDurationsUseSixtyFourBits) {
    const int64_t after2038_s = (int64_t{1} << 31) + 1000;
    const int minutes = 40'000'000;
    const int64_t duration_s = int64_t{minutes} * 60;
    RecordingSchedule schedule;
    schedule.SetStart(after2038_s);
    schedule.SetDurationMinutes(minutes);
    schedule.SetArmed(true);
    EXPECT_EQ(schedule.GetDuration(), duration_s);

    const std::pair<int64_t, bool> inWindow[] = {
        {after2038_s + 1, true},
        {after2038_s + (int64_t{1} << 31) + 5, true},
        {after2038_s + duration_s - 1, true},
        {after2038_s + duration_s + 1, false},
    };
    for (const auto& [now_s, expected] : inWindow) {
        At(now_s);
        EXPECT_EQ(schedule.IsInWindow(), expected) << now_s;
        EXPECT_EQ(schedule.HasEnded(), !expected) << now_s;
    }
    At(after2038_s + duration_s - (kHour_s + 2));
    EXPECT_EQ(schedule.GetStatusText(), "Rec 01:00:02");
}

}  // namespace
