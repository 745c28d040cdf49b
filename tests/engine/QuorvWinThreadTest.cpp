#include "engine/QuorvWinThread.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "engine/ThreadRegistry.h"
#include "platform/LockPumping.h"
#include "platform/Mutex.h"
#include "platform/SingleLock.h"

namespace {

using namespace std::chrono_literals;

// What a test needs to see of a thread object after StopThread deleted it.
struct Trace {
    std::atomic<int> workCalls{0};
    std::atomic<int> passesDone{0};
    std::atomic<bool> stopCalled{false};
    std::atomic<bool> destroyed{false};
    std::atomic<int> niceInWork{-100};
};

class TracedThread : public QuorvWinThread {
public:
    TracedThread(Trace& trace, ThreadRegistry* registry, int finishAfter = 0)
        : QuorvWinThread(registry), trace_(trace), finishAfter_(finishAfter) {}
    ~TracedThread() override { trace_.destroyed = true; }

    int Work() override {
        const int calls = ++trace_.workCalls;
        trace_.niceInWork = getpriority(PRIO_PROCESS, 0);
        if (finishAfter_ != 0 && calls >= finishAfter_) {
            return 1;
        }
        WaitForStopRequest(1);
        return 0;
    }

    void Stop() override {
        trace_.stopCalled = true;
        QuorvWinThread::Stop();
    }

protected:
    Trace& trace_;

private:
    int finishAfter_;
};

// A pass that needs a lock another thread may hold, as the frame loop needs
// the engine's.
class LockingThread : public TracedThread {
public:
    LockingThread(Trace& trace, Mutex& mutex) : TracedThread(trace, nullptr), mutex_(mutex) {}

    int Work() override {
        ++trace_.workCalls;
        SingleLock lock(mutex_);
        LockPumping(lock);
        ++trace_.passesDone;
        return 0;
    }

private:
    Mutex& mutex_;
};

template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(QuorvWinThreadTest, NullThreadsAreRefused) {
    EXPECT_FALSE(StartThread(nullptr, 1));
    EXPECT_FALSE(StopThread(nullptr));
    EXPECT_FALSE(IsThreadRunning(nullptr));
}

TEST(QuorvWinThreadTest, RunsUntilStoppedThenLeavesTheRegistryAndIsDeleted) {
    ThreadRegistry registry;
    Trace trace;
    auto* thread = new TracedThread(trace, &registry);
    EXPECT_TRUE(registry.Contains(thread));
    EXPECT_FALSE(IsThreadRunning(thread));

    ASSERT_TRUE(StartThread(thread, 1));
    EXPECT_TRUE(IsThreadRunning(thread));
    ASSERT_TRUE(Eventually([&] { return trace.workCalls >= 3; }));
    EXPECT_TRUE(IsThreadRunning(thread));

    EXPECT_TRUE(StopThread(thread));
    EXPECT_TRUE(trace.stopCalled);
    EXPECT_TRUE(trace.destroyed);
    EXPECT_EQ(registry.Count(), 0u);
}

TEST(QuorvWinThreadTest, AFinishedWorkEndsTheThreadAndStopDeletesWithoutWaiting) {
    ThreadRegistry registry;
    Trace trace;
    auto* thread = new TracedThread(trace, &registry, 1);
    ASSERT_TRUE(StartThread(thread, 0));
    ASSERT_TRUE(Eventually([&] { return !IsThreadRunning(thread); }));
    EXPECT_EQ(trace.workCalls, 1);

    EXPECT_TRUE(StopThread(thread));
    EXPECT_FALSE(trace.stopCalled);
    EXPECT_TRUE(trace.destroyed);
    EXPECT_FALSE(registry.Contains(thread));
}

TEST(QuorvWinThreadTest, TheDefaultWorkWaitsForTheStopRequest) {
    ThreadRegistry registry;
    auto* first = new QuorvWinThread(&registry);
    auto* second = new QuorvWinThread(&registry);
    EXPECT_EQ(registry.Count(), 2u);
    ASSERT_TRUE(StartThread(first, 0));
    EXPECT_FALSE(StartThread(first, 0)) << "a second start is refused and keeps the object";
    EXPECT_TRUE(IsThreadRunning(first));
    EXPECT_TRUE(StopThread(first));
    EXPECT_EQ(registry.Count(), 1u);
    EXPECT_TRUE(StopThread(second)) << "never started";
    EXPECT_EQ(registry.Count(), 0u);
}

TEST(QuorvWinThreadTest, DeletingARunningObjectStopsItsWorkerFirst) {
    ThreadRegistry registry;
    auto* thread = new QuorvWinThread(&registry);
    ASSERT_TRUE(StartThread(thread, 0));
    delete thread;
    EXPECT_EQ(registry.Count(), 0u);
}

// Lowering a priority needs no privilege, so it must take effect; raising is
// best effort and only must not stop the thread from running.
TEST(QuorvWinThreadTest, TheWorkerRunsAtItsPriorityFromItsFirstWork) {
    Trace low;
    auto* lowered = new TracedThread(low, nullptr, 1);
    ASSERT_TRUE(StartThread(lowered, -1));
    ASSERT_TRUE(Eventually([&] { return !IsThreadRunning(lowered); }));
    EXPECT_GE(low.niceInWork, getpriority(PRIO_PROCESS, 0) + 5);
    StopThread(lowered);

    Trace high;
    auto* raised = new TracedThread(high, nullptr);
    ASSERT_TRUE(StartThread(raised, 2));
    ASSERT_TRUE(Eventually([&] { return high.workCalls >= 1; }));
    EXPECT_TRUE(StopThread(raised));
}

// The stopping thread keeps dispatching its events while it waits, so a
// handler that releases what the worker waits for lets the worker finish its
// pass and end.
TEST(QuorvWinThreadTest, StoppingAWorkerThatWaitsForALockKeepsEventsFlowing) {
    Mutex mutex{"test", LockRank::kEngine};
    Trace trace;
    auto* thread = new LockingThread(trace, mutex);
    thread->SetStopWaitSlice(5);

    SingleLock held(mutex);
    ASSERT_TRUE(held.Lock(0));
    ASSERT_TRUE(StartThread(thread, 1));
    ASSERT_TRUE(Eventually([&] { return trace.workCalls >= 1; }));

    bool handlerRan = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            handlerRan = true;
            held.Unlock();
        },
        Qt::QueuedConnection);
    EXPECT_TRUE(StopThread(thread));

    EXPECT_TRUE(handlerRan);
    EXPECT_TRUE(trace.destroyed);
    EXPECT_EQ(trace.passesDone, trace.workCalls) << "the pass under way completed";
}

}  // namespace
