#include "engine/HorizontalLock.h"

#include <vector>

#include <gtest/gtest.h>

#include "engine/RawSampleLayout.h"

namespace {

std::vector<uint8_t> BlankBuffer() {
    return std::vector<uint8_t>(RawSampleLayout::kCaptureBufferSize_bytes, 0);
}

}  // namespace

TEST(HorizontalLockTest, CorrectionBands) {
    struct Case {
        int edge;
        int32_t correction_hz;
    };
    const Case cases[] = {
        {0, 40}, {7, 40},   {8, 60},   {15, 60},  {16, 20},  {28, 20},  {29, 0},    {32, 0},
        {35, 0}, {36, -20}, {48, -20}, {49, -60}, {56, -60}, {57, -40}, {255, -40}, {256, -40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HorizontalLock::Correction_hz(c.edge), c.correction_hz) << "edge " << c.edge;
    }
}

TEST(HorizontalLockTest, EdgeIsTheFirstFourSampleSumReaching200) {
    struct Case {
        const char* what;
        std::vector<std::pair<size_t, uint8_t>> samples;
        int edge;
    };
    const Case cases[] = {
        {"nothing", {}, HorizontalLock::kNoEdge},
        {"one bright sample is caught by the first window holding it", {{2256, 200}}, 37},
        {"four samples at the search start", {{2216, 50}, {2217, 50}, {2218, 50}, {2219, 50}}, 0},
        {"a sum of 199 is not an edge", {{2300, 199}}, HorizontalLock::kNoEdge},
        {"last window", {{2474, 255}}, 255},
        {"just past the window", {{2475, 255}}, HorizontalLock::kNoEdge},
        {"just before the window", {{2215, 255}}, HorizontalLock::kNoEdge},
        {"the first of two edges", {{2260, 100}, {2261, 100}, {2300, 255}}, 42},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer = BlankBuffer();
        for (const auto& [offset, value] : c.samples) {
            buffer[offset] = value;
        }
        EXPECT_EQ(HorizontalLock::FindEdge(buffer.data()), c.edge) << c.what;
    }
}

TEST(HorizontalLockTest, CorrectionIsTakenFromTheBase) {
    std::vector<uint8_t> buffer = BlankBuffer();
    EXPECT_EQ(HorizontalLock::CorrectedFrequency_hz(buffer.data(), 35'438'456), 35'438'416);
    buffer[2248] = 200;  // edge at i = 29: inside the dead band
    EXPECT_EQ(HorizontalLock::CorrectedFrequency_hz(buffer.data(), 35'438'456), 35'438'456);
    buffer[2230] = 200;  // edge at i = 11
    EXPECT_EQ(HorizontalLock::CorrectedFrequency_hz(buffer.data(), 35'438'456), 35'438'516);
}
