#include "platform/Mutex.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

using namespace std::chrono;

TEST(MutexTest, IsRecursiveAndReleasedAfterMatchingUnlocks) {
    Mutex mutex{"test", LockRank::kEngine};
    ASSERT_TRUE(mutex.TryLockFor(0));
    ASSERT_TRUE(mutex.TryLockFor(0));
    mutex.Unlock();
    EXPECT_TRUE(mutex.IsHeldByCurrentThread());

    std::atomic<bool> otherGotIt{true};
    std::thread([&] { otherGotIt = mutex.TryLockFor(5); }).join();
    EXPECT_FALSE(otherGotIt);

    mutex.Unlock();
    std::thread([&] {
        otherGotIt = mutex.TryLockFor(5);
        if (otherGotIt) {
            mutex.Unlock();
        }
    }).join();
    EXPECT_TRUE(otherGotIt);
}

// The frame loop re-locks the engine at once after releasing it. A waiting
// thread must still get the lock within a few milliseconds, every time.
TEST(MutexTest, WaiterGetsTheLockFromAHolderThatRelocksAtOnce) {
    Mutex mutex{"test", LockRank::kEngine};
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::thread greedy([&] {
        while (!stop) {
            mutex.Lock();
            started = true;
            std::this_thread::sleep_for(milliseconds(2));
            mutex.Unlock();
        }
    });
    while (!started) {
        std::this_thread::yield();
    }

    microseconds worst{0};
    for (int i = 0; i < 300; ++i) {
        const auto before = steady_clock::now();
        ASSERT_TRUE(mutex.TryLockFor(1000));
        worst = std::max(worst, duration_cast<microseconds>(steady_clock::now() - before));
        mutex.Unlock();
    }
    stop = true;
    greedy.join();
    // One hold of the greedy thread is 2 ms; allow generous scheduling slack.
    EXPECT_LT(worst.count(), 50'000) << "worst wait " << worst.count() << " us";
}

TEST(LockPumpingTest, FreeLockIsTakenOnFirstAttemptWithoutPumping) {
    Mutex mutex{"test", LockRank::kEngine};
    SingleLock lock(mutex);
    int pumps = 0;
    EXPECT_TRUE(
        LockPumpingWith([&](uint32_t ms) { return lock.Lock(ms); }, [&] { ++pumps; }, kNoTimeout));
    EXPECT_EQ(pumps, 0);
    EXPECT_TRUE(lock.IsLocked());
}

TEST(LockPumpingTest, AttemptsDoubleUpTo2048ThenStartAgainAndPumpBetween) {
    std::vector<uint32_t> attempts;
    int pumps = 0;
    const bool held = LockPumpingWith(
        [&](uint32_t ms) {
            attempts.push_back(ms);
            return attempts.size() == 14;
        },
        [&] { ++pumps; }, kNoTimeout);
    EXPECT_TRUE(held);
    const std::vector<uint32_t> expected{2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 2, 4, 8};
    EXPECT_EQ(attempts, expected);
    EXPECT_EQ(pumps, 13);
}

TEST(LockPumpingTest, FiniteLimitCountsOnlyAttempts) {
    std::vector<uint32_t> attempts;
    const bool held = LockPumpingWith(
        [&](uint32_t ms) {
            attempts.push_back(ms);
            return false;
        },
        [] {}, 1000);
    EXPECT_FALSE(held);
    const std::vector<uint32_t> expected{2, 4, 8, 16, 32, 64, 128, 256, 512};
    EXPECT_EQ(attempts, expected);
}

TEST(LockPumpingTest, HolderReentersAtOnce) {
    Mutex mutex{"test", LockRank::kEngine};
    SingleLock outer(mutex);
    ASSERT_TRUE(LockPumping(outer));
    SingleLock inner(mutex);
    int pumps = 0;
    EXPECT_TRUE(
        LockPumpingWith([&](uint32_t ms) { return inner.Lock(ms); }, [&] { ++pumps; }, kNoTimeout));
    EXPECT_EQ(pumps, 0);
}
