#include "platform/ReconnectBackoff.h"

#include <algorithm>

uint32_t ReconnectBackoff::NextDelay_ms() {
    // Past 5 doublings the wait is capped anyway; stopping the count there
    // keeps the shift in range however long the service stays away.
    const uint32_t doublings = std::min(failures_, 5u);
    failures_ = std::min(failures_ + 1, 5u);
    return std::min(kFirst_ms << doublings, kLongest_ms);
}
