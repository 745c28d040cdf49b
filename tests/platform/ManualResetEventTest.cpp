#include "platform/ManualResetEvent.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

TEST(ManualResetEventTest, StaysSignalledAndReleasesEveryWaiter) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitMs(1));

    std::atomic<int> released{0};
    std::thread first([&] {
        event.Wait();
        ++released;
    });
    std::thread second([&] {
        if (event.WaitMs(60'000)) {
            ++released;
        }
    });
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(released, 2);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.WaitMs(0));
}
