#include <thread>

#include <gtest/gtest.h>

#include "platform/LockPumping.h"
#include "platform/Mutex.h"
#include "platform/SingleLock.h"

namespace {

struct Locks {
    Mutex engine{"engine", LockRank::kEngine};
    Mutex overlay{"overlay", LockRank::kOverlay};
    Mutex tuner{"Tuner", LockRank::kCardOuter};
    Mutex scaler{"Scaler", LockRank::kCardInterface};
    Mutex decoder{"VideoDecoder", LockRank::kCardInterface};
    Mutex i2c{"I2cBus", LockRank::kCardInner};
    Mutex schedule{"RecordingSchedule", LockRank::kSchedule};
};

void Take(Mutex& mutex) {
    ASSERT_TRUE(mutex.TryLockFor(0));
}

class LockOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef NDEBUG
        GTEST_SKIP() << "the lock-order check is built into debug builds only";
#endif
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

}  // namespace

TEST_F(LockOrderTest, AllowsAscendingEqualAndReenteredLocks) {
    Locks locks;
    Take(locks.engine);
    Take(locks.overlay);
    Take(locks.tuner);
    Take(locks.scaler);
    Take(locks.decoder);
    Take(locks.scaler);  // back to an equal rank
    Take(locks.i2c);
    Take(locks.engine);  // re-entry of a held outer lock
    Take(locks.schedule);
    for (Mutex* mutex : {&locks.schedule, &locks.engine, &locks.i2c, &locks.scaler, &locks.decoder,
                         &locks.scaler, &locks.tuner, &locks.overlay, &locks.engine}) {
        mutex->Unlock();
    }
}

TEST_F(LockOrderTest, ReleasedInnerLockNoLongerCounts) {
    Locks locks;
    Take(locks.engine);
    Take(locks.schedule);
    locks.engine.Unlock();  // released out of order
    locks.schedule.Unlock();
    Take(locks.overlay);  // nothing is held any more
    Take(locks.tuner);
    locks.tuner.Unlock();
    Take(locks.tuner);  // the overlay is still held, the tuner comes after it
    locks.tuner.Unlock();
    locks.overlay.Unlock();
}

TEST_F(LockOrderTest, HeldLocksBelongToTheirThread) {
    Locks locks;
    Take(locks.schedule);
    bool taken = false;
    std::thread([&] {
        taken = locks.engine.TryLockFor(0);
        locks.engine.Unlock();
    }).join();
    EXPECT_TRUE(taken);
    locks.schedule.Unlock();
}

TEST_F(LockOrderTest, LowerRankWhileHoldingHigherAbortsNamingBoth) {
    struct Case {
        Mutex Locks::*held;
        Mutex Locks::*wanted;
        const char* message;
    };
    const Case cases[] = {
        {&Locks::overlay, &Locks::engine, "taking \"engine\" .* while holding \"overlay\""},
        {&Locks::i2c, &Locks::tuner, "taking \"Tuner\" .* while holding \"I2cBus\""},
        {&Locks::schedule, &Locks::overlay,
         "taking \"overlay\" .* while holding \"RecordingSchedule\""},
    };
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                Locks locks;
                Take(locks.*c.held);
                SingleLock lock(locks.*c.wanted);
                LockPumping(lock);
            },
            c.message);
    }
}
