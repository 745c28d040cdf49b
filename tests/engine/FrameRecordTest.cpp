#include "engine/FrameRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <gtest/gtest.h>

TEST(FrameRecordTest, StartsWithTheBitmapHeaderBytes) {
    const FrameRecord record;
    // Little-endian: size 40, width 360, height +288, planes 1, 8 bits, no
    // compression, image size 103,680, resolutions 0, 256 colours used, 0 important.
    const std::array<uint8_t, 40> expected{40, 0, 0, 0, 0x68, 0x01, 0, 0,    0x20, 0x01, 0, 0, 1, 0,
                                           8,  0, 0, 0, 0,    0,    0, 0x95, 1,    0,    0, 0, 0, 0,
                                           0,  0, 0, 0, 0,    1,    0, 0,    0,    0,    0, 0};
    ASSERT_EQ(record.Size(), 104'744u);
    EXPECT_EQ(0, std::memcmp(record.Data(), expected.data(), expected.size()));
    EXPECT_EQ(record.Format(), record.Data());
    EXPECT_EQ(record.FormatSize(), 1'064u);
    EXPECT_EQ(record.Pixels(), record.Data() + 1'064);
}

TEST(FrameRecordTest, PaletteIsALinearGreyRampAndPixelsStartBlack) {
    const FrameRecord record;
    for (int i = 0; i < 256; ++i) {  // entry 128 is (128, 128, 128, 0)
        const uint8_t* entry = record.Data() + 40 + 4 * i;
        const auto grey = static_cast<uint8_t>(i);
        ASSERT_EQ((std::array{entry[0], entry[1], entry[2], entry[3]}),
                  (std::array<uint8_t, 4>{grey, grey, grey, 0}))
            << "entry " << i;
    }
    const uint8_t* pixels = record.Pixels();
    EXPECT_TRUE(std::all_of(pixels, pixels + 103'680, [](uint8_t p) { return p == 0; }));
}

TEST(FrameRecordTest, BlockSizeFollowsTheHeader) {
    struct Case {
        int32_t width;
        int32_t height;
        uint16_t bitCount;
        size_t expected;
    };
    const Case cases[] = {
        {360, 288, 8, 104'744},           {360, -288, 8, 104'744},  // top-down rows: same size
        {361, 288, 8, 364 * 288 + 1'064}, {3, 2, 24, 12 * 2 + 1'064}, {360, 0, 8, 1'064},
    };
    for (const Case& c : cases) {
        BitmapInfoHeader header = FrameRecord::MakeHeader();
        header.width = c.width;
        header.height = c.height;
        header.bitCount = c.bitCount;
        EXPECT_EQ(FrameRecord::BlockSizeFor(header), c.expected)
            << c.width << " x " << c.height << " x " << c.bitCount;
    }
}
