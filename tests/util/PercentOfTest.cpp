#include "util/PercentOf.h"

#include <limits>

#include <gtest/gtest.h>

TEST(PercentOfTest, RoundsHalfUpAndTruncatesTowardZero) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const struct {
        int whole, part, expected;
    } cases[] = {
        {839, 419, 50}, {839, 0, 0},     {839, 839, 100}, {3, 1, 33},       {3, 2, 67},
        {200, 1, 1},    {201, 1, 0},     {-4, 1, -24},    {4, -1, -24},     {0, 5, 0},
        {0, 0, 0},      {1, kMax, kMax}, {1, kMin, kMin}, {-1, kMin, kMax},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PercentOf(c.whole, c.part), c.expected) << c.whole << ", " << c.part;
    }
}
