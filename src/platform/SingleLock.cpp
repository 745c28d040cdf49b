#include "platform/SingleLock.h"

#include "platform/Mutex.h"

SingleLock::SingleLock(Mutex& mutex) : mutex_(mutex) {}

SingleLock::~SingleLock() {
    Unlock();
}

bool SingleLock::Lock(uint32_t timeout_ms) {
    if (!locked_) {
        locked_ = mutex_.TryLockFor(timeout_ms);
    }
    return locked_;
}

void SingleLock::Unlock() {
    if (locked_) {
        mutex_.Unlock();
        locked_ = false;
    }
}
