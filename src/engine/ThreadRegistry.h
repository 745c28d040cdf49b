#pragma once

#include <cstddef>
#include <list>

#include "platform/Mutex.h"

class QuorvWinThread;

// The list of worker threads built with this registry: each QuorvWinThread
// adds itself when constructed and removes itself when destroyed. The main
// panel owns one; it must outlive every thread registered in it.
//
// Thread safety: every operation takes the registry's lock (LockPumping), so
// threads may register and unregister from any thread.
class ThreadRegistry {
public:
    ThreadRegistry() = default;
    ThreadRegistry(const ThreadRegistry&) = delete;
    ThreadRegistry& operator=(const ThreadRegistry&) = delete;
    virtual ~ThreadRegistry() = default;

    void Add(QuorvWinThread* thread);

    // Removes `thread` if listed; does nothing otherwise.
    void Remove(const QuorvWinThread* thread);

    bool Contains(const QuorvWinThread* thread);
    std::size_t Count();

private:
    Mutex mutex_{"threadRegistry", LockRank::kThreadRegistry};
    std::list<QuorvWinThread*> threads_;
};
