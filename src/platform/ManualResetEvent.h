#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// An event, not signalled at first, that stays signalled once set, until the end of its life
// (nothing in the program resets one). Any number of threads may wait on it.
//
// Thread safety: every operation may be called from any thread.
class ManualResetEvent {
public:
    ManualResetEvent() = default;
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    // Signals the event and wakes every waiter.
    void Set();

    // True when signalled; never waits.
    bool IsSet() const;

    // Waits until the event is signalled or `timeout_ms` has passed (real
    // time). True when signalled.
    bool WaitMs(uint32_t timeout_ms);

    // Waits until the event is signalled.
    void Wait();

private:
    mutable std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};
