#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/LockRank.h"

// A recursive, timed and fair mutex: every object shared by the user-interface
// thread and the frame thread owns one.
//
// Fairness: waiting threads get the lock in arrival order, and a holder that
// releases and at once re-locks queues behind them. The frame loop re-locks the
// engine within microseconds of releasing it; without this hand-off the
// user-interface thread could starve.
//
// A thread that holds the mutex may lock it again; it is released when every
// lock has been matched by an unlock.
//
// Lock order: each mutex has a LockRank. In debug builds (NDEBUG unset) a
// thread that tries to take a mutex of a lower rank than one it holds aborts
// at once with both names, before it waits, so an order fault shows on the
// first run that takes the path rather than as a rare deadlock. The check
// costs a look at a small thread-local list of held mutexes.
class Mutex {
public:
    Mutex(const char* name, LockRank rank);
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex();

    // Takes the lock, waiting at most `timeout_ms`. True when held.
    bool TryLockFor(uint32_t timeout_ms);

    // Takes the lock, waiting as long as it takes.
    void Lock();

    // Releases one level of recursion. Only the holder may call it.
    void Unlock();

    // True when the calling thread holds the lock.
    bool IsHeldByCurrentThread() const;

    const char* Name() const { return name_; }
    LockRank Rank() const { return rank_; }

private:
    bool CanTake(uint64_t ticket) const;

    const char* name_;
    LockRank rank_;
    mutable std::mutex state_;
    std::condition_variable changed_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
    uint64_t nextTicket_ = 0;
    std::deque<uint64_t> waiters_;
};
