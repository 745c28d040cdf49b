#pragma once

#include <cstdint>
#include <functional>

class SingleLock;

// The lock wait every shared object uses. Tries the lock for 2 ms, then in
// attempts of 4, 8, ... 2048 ms (then 2 ms again), dispatching the calling
// thread's events between attempts, so a user-interface thread that waits for
// the frame thread stays responsive.
//
// `timeout_ms` of kNoTimeout waits for ever; otherwise only the attempts count
// towards the limit, not the time spent dispatching. Returns true once the lock
// is held, false when the limit ran out (the caller must then leave the guarded
// object alone).
constexpr uint32_t kNoTimeout = 0xFFFFFFFFu;

bool LockPumping(SingleLock& lock, uint32_t timeout_ms = kNoTimeout);

// The same wait with the lock attempt and the event dispatch supplied by the
// caller: `attempt(ms)` tries to take the lock within ms milliseconds.
bool LockPumpingWith(const std::function<bool(uint32_t)>& attempt,
                     const std::function<void()>& pump, uint32_t timeout_ms);
