#include <gtest/gtest.h>
#include <QCheckBox>
#include <QImage>

#include "display/RecordingSchedule.h"
#include "platform/RegisteredMessages.h"
#include "support/PanelRig.h"

namespace {

using namespace ControlIds;

constexpr int64_t kMinute_s = 60;

// The Timer box checked for a window that began five minutes ago and ends 55
// minutes from now (the box needs an open file).
void ArmRunningWindow(PanelRig& rig) {
    const int64_t now_s = rig.Clock().CalendarSeconds();
    rig.modal.answer = PanelTimerDialogRunner::Answer{
        QDateTime::fromSecsSinceEpoch(now_s - 5 * kMinute_s).time(), "60"};
    rig.Click(kTimer);
}

// Keeps every request unanswered until the test answers it, as the system's
// service answers only after the program has gone back to its event loop.
class HeldPowerService : public PowerService {
public:
    void RequestPowerOff(Done done) override { held.push_back(std::move(done)); }
    std::vector<Done> held;
};

void PassTheEnd(PanelRig& rig, int64_t armed_s) {
    rig.Clock().SetCalendarSeconds(armed_s + 55 * kMinute_s + 2);
    rig.Panel().OnTimer();
}

}  // namespace

TEST(PanelTimerTest, TimedRecordingWritesInsideTheWindowAndThenPowersOffOrDisarms) {
    for (const bool powerOff : {true, false}) {
        PanelRig rig;
        MainPanel& panel = rig.Open();
        rig.Click(kNew);
        if (powerOff) {
            rig.Click(kPowerOff);
        }
        const int64_t armed_s = rig.Clock().CalendarSeconds();
        ArmRunningWindow(rig);
        RecordingSchedule& schedule = *rig.Engine().GetSchedule();
        ASSERT_TRUE(schedule.IsArmed());
        EXPECT_FALSE(rig.Engine().IsRecording()) << "not before the tick";

        panel.OnTimer();
        EXPECT_TRUE(rig.Engine().IsRecording());
        rig.Clock().SetCalendarSeconds(armed_s + 50 * kMinute_s);
        panel.OnTimer();
        EXPECT_TRUE(rig.Engine().IsRecording()) << "still inside the window";

        PassTheEnd(rig, armed_s);
        EXPECT_FALSE(rig.Engine().IsOpen()) << "the file is closed at once";
        EXPECT_EQ(rig.power.requests, 0) << "the power-off message is posted";
        rig.Idle();
        panel.OnTimer();
        rig.Idle();

        EXPECT_EQ(rig.power.requests, powerOff ? 1 : 0);
        EXPECT_EQ(panel.IsFrameThreadRunning(), !powerOff);
        if (!powerOff) {
            EXPECT_FALSE(panel.TimerBox()->isChecked());
            EXPECT_FALSE(schedule.IsArmed());
        }
    }
}

TEST(PanelTimerTest, AnEndedScheduleDoesNotCutALaterManualRecordingShort) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    rig.Click(kNew);
    const int64_t armed_s = rig.Clock().CalendarSeconds();
    ArmRunningWindow(rig);
    panel.OnTimer();
    PassTheEnd(rig, armed_s);
    rig.Idle();

    rig.chooser.answer = rig.FilePath("later.avi");
    rig.Click(kNew);
    rig.Click(kRecord);
    rig.Clock().SetCalendarSeconds(armed_s + 3 * 60 * kMinute_s);
    panel.OnTimer();
    rig.Idle();

    EXPECT_TRUE(rig.Engine().IsOpen());
    EXPECT_TRUE(rig.Engine().IsRecording());
    EXPECT_EQ(rig.power.requests, 0);
}

TEST(PanelTimerTest, StoppingWithRecordOrCancellingTheDialogClearsTheTimer) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    rig.Click(kNew);
    ArmRunningWindow(rig);
    EXPECT_EQ(rig.modal.shownDuration, "0") << "the first time";
    panel.OnTimer();
    rig.Click(kRecord);
    EXPECT_TRUE(rig.Engine().IsOpen()) << "the file stays open";
    EXPECT_FALSE(panel.TimerBox()->isChecked());
    EXPECT_FALSE(rig.Engine().GetSchedule()->IsArmed());

    rig.modal.answer.reset();
    rig.Click(kTimer);
    EXPECT_EQ(rig.modal.shownDuration, "60") << "the last duration";
    EXPECT_FALSE(panel.TimerBox()->isChecked());
    EXPECT_FALSE(rig.Engine().GetSchedule()->IsArmed());
}

// A nearly full disk ends the recording and switches off even though the
// PowerOff box is unchecked.
TEST(PanelTimerTest, LowDiskEndsTheRecordingAndPowersOff) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    rig.Click(kNew);
    rig.Click(kRecord);
    ASSERT_FALSE(panel.PowerOffBox()->isChecked());

    rig.disk.free_bytes = 1'000'000;
    EXPECT_TRUE(PanelRig::WaitFor([&] { return rig.power.requests > 0; }));
    rig.Idle();
    EXPECT_EQ(rig.power.requests, 1);
    EXPECT_FALSE(rig.Engine().IsOpen());
    EXPECT_FALSE(rig.Engine().IsRecording());
}

// The system refused to switch off: the picture goes on, and the power-off
// flag follows the check box again (the low-disk stop may have set it).
TEST(PanelTimerTest, ARefusedPowerOffRestartsThePicture) {
    for (const bool boxChecked : {false, true}) {
        PanelRig rig;
        MainPanel& panel = rig.Open();
        rig.Click(kNew);
        if (boxChecked) {
            rig.Click(kPowerOff);
        }
        rig.power.refusal = "Interactive authentication required.";
        rig.Engine().SetPowerOffAfter(true);
        rig.Engine().RequestPowerOff();
        rig.Idle();

        EXPECT_EQ(rig.power.requests, 1);
        EXPECT_TRUE(panel.IsFrameThreadRunning());
        EXPECT_EQ(rig.Engine().GetPowerOffAfter(), boxChecked);
        const QImage before = panel.Surface().Latest();
        EXPECT_TRUE(PanelRig::WaitFor([&] { return panel.Surface().Latest() != before; }))
            << "the picture moves";
    }
}

// Two power-off messages (a timed end and the low-disk stop at once) make two
// requests; when both are refused, only one frame thread may run again.
TEST(PanelTimerTest, TwoRefusedRequestsRestartOneFrameThread) {
    PanelRig rig;
    HeldPowerService system;
    rig.powerService = &system;
    MainPanel& panel = rig.Open();
    rig.Click(kNew);
    rig.Engine().SetPowerOffAfter(true);
    rig.Engine().RequestPowerOff();
    rig.Engine().RequestPowerOff();
    rig.Idle();
    ASSERT_EQ(system.held.size(), 2u);
    for (const PowerService::Done& done : system.held) {
        done("refused");
    }
    EXPECT_TRUE(panel.IsFrameThreadRunning());

    panel.StopFrameThread();
    const QImage still = panel.Surface().Latest();
    EXPECT_FALSE(PanelRig::WaitFor([&] { return panel.Surface().Latest() != still; }, 300))
        << "no frame thread left behind";
}

// The system may answer after the user has closed the program.
TEST(PanelTimerTest, AnAnswerAfterThePanelIsGoneIsIgnored) {
    PanelRig rig;
    HeldPowerService system;
    rig.powerService = &system;
    rig.Open();
    rig.Click(kNew);
    rig.Engine().SetPowerOffAfter(true);
    rig.Engine().RequestPowerOff();
    rig.Idle();
    ASSERT_EQ(system.held.size(), 1u);
    rig.Destroy();

    system.held.front()("refused");
}
