#include "engine/FrameThread.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "support/EngineRig.h"
#include "support/FakeRealtimeScheduling.h"

namespace {

// Dispatches events until `condition` holds or 5 s have passed.
bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 5'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return condition();
}

}  // namespace

// The frame thread asks for real-time scheduling for itself, once, as it
// starts; a plain worker thread doesn't ask.
TEST(FrameThreadTest, TheFrameThreadAsksForRealtimeSchedulingForItself) {
    FakeRealtimeScheduling scheduling(RealtimeScheduling::Grant::kUnchanged);
    auto* worker = new QuorvWinThread();
    ASSERT_TRUE(StartThread(worker, 1));
    EXPECT_TRUE(StopThread(worker));
    EXPECT_TRUE(scheduling.Requests().empty());

    EngineRig rig;
    rig.Start();
    auto* thread = new FrameThread(rig.engine.get(), nullptr);
    ASSERT_TRUE(StartThread(thread, 1));
    EXPECT_TRUE(WaitFor([&] { return !scheduling.Requests().empty(); }));
    EXPECT_TRUE(StopThread(thread));

    const std::vector<FakeRealtimeScheduling::Request> requests = scheduling.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests.front().thread, gettid());
    EXPECT_EQ(requests.front().priority, FrameThread::kRealtimePriority);
}
