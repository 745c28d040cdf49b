#pragma once

#include <cstdint>

// How long to wait before the next attempt to reach a service that is gone:
// half a second after the first failure, doubling with each one after it up
// to kLongest_ms, and back to the start after a success. Trying costs little
// (one refused connection), so the longest wait is short enough that a
// restarted service is found again within seconds.
//
// Not thread-safe: one thread uses it.
class ReconnectBackoff {
public:
    static constexpr uint32_t kFirst_ms = 500;
    static constexpr uint32_t kLongest_ms = 10'000;

    // The wait after one more failure.
    uint32_t NextDelay_ms();

    // A success: the next failure waits kFirst_ms again.
    void Reset() { failures_ = 0; }

private:
    uint32_t failures_ = 0;
};
