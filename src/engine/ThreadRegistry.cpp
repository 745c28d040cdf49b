#include "engine/ThreadRegistry.h"

#include <algorithm>

#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

void ThreadRegistry::Add(QuorvWinThread* thread) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    threads_.push_back(thread);
}

void ThreadRegistry::Remove(const QuorvWinThread* thread) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    auto found = std::find(threads_.begin(), threads_.end(), thread);
    if (found != threads_.end()) {
        threads_.erase(found);
    }
}

bool ThreadRegistry::Contains(const QuorvWinThread* thread) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return std::find(threads_.begin(), threads_.end(), thread) != threads_.end();
}

std::size_t ThreadRegistry::Count() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return threads_.size();
}
