#include "platform/Mutex.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

#ifndef NDEBUG
// The mutexes the calling thread holds, in the order it took them. Ranks only
// ever rise along the list, so its last entry holds the highest rank.
thread_local std::vector<const Mutex*> heldByThisThread;

void CheckOrder(const Mutex& wanted) {
    if (heldByThisThread.empty()) {
        return;
    }
    const Mutex& innermost = *heldByThisThread.back();
    if (innermost.Rank() <= wanted.Rank()) {
        return;
    }
    // Abort rather than assert: the message must name both locks, and the
    // wrong order must stop the program before it can deadlock.
    std::fprintf(stderr,
                 "lock order violation: taking \"%s\" (rank %d) while holding \"%s\" (rank %d)\n",
                 wanted.Name(), static_cast<int>(wanted.Rank()), innermost.Name(),
                 static_cast<int>(innermost.Rank()));
    std::abort();
}

void NoteTaken(const Mutex& mutex) {
    heldByThisThread.push_back(&mutex);
}

void NoteReleased(const Mutex& mutex) {
    for (auto it = heldByThisThread.rbegin(); it != heldByThisThread.rend(); ++it) {
        if (*it == &mutex) {
            heldByThisThread.erase(std::next(it).base());
            return;
        }
    }
}
#else
void CheckOrder(const Mutex&) {}
void NoteTaken(const Mutex&) {}
void NoteReleased(const Mutex&) {}
#endif

}  // namespace

Mutex::Mutex(const char* name, LockRank rank) : name_(name), rank_(rank) {}

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
    CheckOrder(*this);
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
    NoteTaken(*this);
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
    NoteReleased(*this);
    guard.unlock();
    changed_.notify_all();
}

bool Mutex::IsHeldByCurrentThread() const {
    std::lock_guard<std::mutex> guard(state_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}
