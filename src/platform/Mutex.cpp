#include "platform/Mutex.h"

#include <algorithm>
#include <cassert>
#include <chrono>

Mutex::Mutex(const char* name) : name_(name) {}

Mutex::~Mutex() {
    assert(depth_ == 0 && "mutex destroyed while held");
}

bool Mutex::CanTake(uint64_t ticket) const {
    return depth_ == 0 && !waiters_.empty() && waiters_.front() == ticket;
}

bool Mutex::TryLockFor(uint32_t timeout_ms) {
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(state_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    const uint64_t ticket = nextTicket_++;
    waiters_.push_back(ticket);
    const bool taken = changed_.wait_for(guard, std::chrono::milliseconds(timeout_ms),
                                         [&] { return CanTake(ticket); });
    if (!taken) {
        // Leave the queue; the thread behind may now be at the front.
        waiters_.erase(std::find(waiters_.begin(), waiters_.end(), ticket));
        guard.unlock();
        changed_.notify_all();
        return false;
    }
    waiters_.pop_front();
    owner_ = self;
    depth_ = 1;
    return true;
}

void Mutex::Lock() {
    while (!TryLockFor(60'000)) {
    }
}

void Mutex::Unlock() {
    std::unique_lock<std::mutex> guard(state_);
    assert(depth_ > 0 && owner_ == std::this_thread::get_id());
    if (--depth_ > 0) {
        return;
    }
    owner_ = std::thread::id();
    guard.unlock();
    changed_.notify_all();
}

bool Mutex::IsHeldByCurrentThread() const {
    std::lock_guard<std::mutex> guard(state_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}
