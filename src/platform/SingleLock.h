#pragma once

#include <cstdint>

class Mutex;

// Scoped hold of one Mutex. Locking is done by the caller (usually through
// LockPumping); the destructor releases the hold on every way out.
class SingleLock {
public:
    explicit SingleLock(Mutex& mutex);
    SingleLock(const SingleLock&) = delete;
    SingleLock& operator=(const SingleLock&) = delete;
    ~SingleLock();

    // Tries to take the mutex within `timeout_ms`. True when held.
    bool Lock(uint32_t timeout_ms);

    void Unlock();

    bool IsLocked() const { return locked_; }

private:
    Mutex& mutex_;
    bool locked_ = false;
};
