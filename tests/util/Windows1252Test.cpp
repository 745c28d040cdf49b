#include "util/Windows1252.h"

#include <gtest/gtest.h>

TEST(Windows1252Test, BytesRoundTripThroughText) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every.push_back(static_cast<char>(byte));
    }
    EXPECT_EQ(ToWindows1252(FromWindows1252(every)), every);
    EXPECT_EQ(FromWindows1252("\x80\x99\xE9\xFF"), QString::fromUtf8("€™éÿ"));
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("Œuvre Ω")), "\x8Cuvre ?");
}
