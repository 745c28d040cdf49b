#include "platform/ReconnectBackoff.h"

#include <gtest/gtest.h>

#include <vector>

// Each row: failures (F) and successes (S) in order, and the waits the
// failures get.
TEST(ReconnectBackoffTest, WaitsDoubleUpToTheLongestAndStartOverAfterASuccess) {
    struct Case {
        const char* events;
        std::vector<uint32_t> waits_ms;
    };
    const Case cases[] = {
        {"F", {500}},
        {"FFFF", {500, 1000, 2000, 4000}},
        {"FFFFFFFF", {500, 1000, 2000, 4000, 8000, 10000, 10000, 10000}},
        {"FFSF", {500, 1000, 500}},
        {"FFFFFFFFSFF", {500, 1000, 2000, 4000, 8000, 10000, 10000, 10000, 500, 1000}},
    };
    for (const Case& c : cases) {
        ReconnectBackoff backoff;
        std::vector<uint32_t> waits_ms;
        for (const char* event = c.events; *event != '\0'; ++event) {
            if (*event == 'F') {
                waits_ms.push_back(backoff.NextDelay_ms());
            } else {
                backoff.Reset();
            }
        }
        EXPECT_EQ(waits_ms, c.waits_ms) << c.events;
    }
}

// However long the service stays away, the wait stays at the longest.
TEST(ReconnectBackoffTest, ALongOutageKeepsTheLongestWait) {
    ReconnectBackoff backoff;
    uint32_t wait_ms = 0;
    for (int failure = 0; failure < 100'000; ++failure) {
        wait_ms = backoff.NextDelay_ms();
        ASSERT_LE(wait_ms, ReconnectBackoff::kLongest_ms);
    }
    EXPECT_EQ(wait_ms, ReconnectBackoff::kLongest_ms);
}
