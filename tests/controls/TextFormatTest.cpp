#include "controls/IntegerFormat.h"

#include <gtest/gtest.h>

TEST(IntegerFormatTest, FormatsOneIntegerAndNothingElse) {
    struct Case {
        const char* format;
        long value;
        const char* expected;
    };
    const Case cases[] = {
        {"%ld", 42, "42"},
        {"%ld\xB0", 359, "359\xB0"},
        {"%d", -7, "-7"},
        {"%5ld|", 3, "    3|"},
        {"%03x", 10, "00a"},
        {"100%% %ld", 5, "100% 5"},
        {"%s and %n", 1, "%s and %n"},  // never reads a missing argument
        {"%ld %ld", 8, "8 %ld"},
        {"no number", 8, "no number"},
        {"cut %", 8, "cut %"},
        {"%hhd", 300, "300"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatInteger(c.format, c.value), c.expected) << c.format;
    }
}
