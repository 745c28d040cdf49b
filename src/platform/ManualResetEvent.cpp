#include "platform/ManualResetEvent.h"

#include <chrono>

void ManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        set_ = true;
    }
    signalled_.notify_all();
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return set_;
}

bool ManualResetEvent::WaitMs(uint32_t timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return signalled_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                               [this] { return set_; });
}

void ManualResetEvent::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    signalled_.wait(lock, [this] { return set_; });
}
