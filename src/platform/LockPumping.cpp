#include "platform/LockPumping.h"

#include "platform/MessagePump.h"
#include "platform/SingleLock.h"

bool LockPumping(SingleLock& lock, uint32_t timeout_ms) {
    return LockPumpingWith([&lock](uint32_t ms) { return lock.Lock(ms); }, PumpMessages,
                           timeout_ms);
}

bool LockPumpingWith(const std::function<bool(uint32_t)>& attempt,
                     const std::function<void()>& pump, uint32_t timeout_ms) {
    double attempt_ms = 2.0;
    if (attempt(static_cast<uint32_t>(attempt_ms))) {
        return true;
    }
    uint32_t waited_ms = 0;
    for (;;) {
        waited_ms += static_cast<uint32_t>(attempt_ms);
        if (timeout_ms != kNoTimeout && waited_ms > timeout_ms) {
            return false;
        }
        pump();
        attempt_ms *= 2.0;
        if (attempt_ms > 2048.0) {
            attempt_ms = 2.0;
        }
        if (attempt(static_cast<uint32_t>(attempt_ms))) {
            return true;
        }
    }
}
