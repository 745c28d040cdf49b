#include "engine/FrameConverter.h"

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"

using FrameConverter::Polarity;
using namespace RawSampleLayout;

namespace {

using Buffer = std::vector<uint8_t>;

uint8_t* LineStart(Buffer& buffer, int line) {
    return buffer.data() + kFirstPictureLine + kLinePeriod_samples * line;
}

void FillClampWindows(Buffer& buffer, uint8_t value) {
    for (int r = 0; r < kPictureLines; ++r) {
        std::fill_n(LineStart(buffer, r) + kClampWindowStart, kClampWindow_samples, value);
    }
}

void FillPictureLine(Buffer& buffer, int line, uint8_t value) {
    std::fill_n(LineStart(buffer, line), kPictureLineUsed_samples, value);
}

// The conversion exactly as described, for comparison with the optimised one.
void ReferenceConvert(const uint8_t* samples, Polarity polarity, uint8_t* pixels) {
    uint8_t* row = pixels + 287 * 360;
    for (int r = 0; r < 288; ++r) {
        const uint8_t* line = samples + 13'548 + 2'268 * r;
        int black = 0;
        for (int j = -96; j <= -65; ++j) {
            black += line[j];
        }
        const int offset = (1280 - black) >> 4;
        int t[1800];
        for (int k = 0; k < 1800; ++k) {
            t[k] = line[k] + line[k + 4];
        }
        for (int p = 0; p < 360; ++p) {
            const int c = 2 + 5 * p;
            int v = (((t[c - 2] + 2 * (t[c - 1] + t[c] + t[c + 1]) + t[c + 2]) >> 1) + offset) >> 1;
            if (polarity == Polarity::kInverted) {
                v = 255 - v;
            }
            row[p] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        }
        row -= 360;
    }
}

// Random picture samples up to `peak`, and per line a clamp window of random
// samples up to a random level, so offsets range from +80 to strongly negative.
Buffer RandomBuffer(uint32_t seed, int peak) {
    std::mt19937 random(seed);
    Buffer buffer(kCaptureBufferSize_bytes);
    std::uniform_int_distribution<int> sample(0, peak);
    std::generate(buffer.begin(), buffer.end(),
                  [&] { return static_cast<uint8_t>(sample(random)); });
    std::uniform_int_distribution<int> level(0, 255);
    for (int r = 0; r < kPictureLines; ++r) {
        std::uniform_int_distribution<int> clamp(0, level(random));
        uint8_t* window = LineStart(buffer, r) + kClampWindowStart;
        std::generate_n(window, kClampWindow_samples,
                        [&] { return static_cast<uint8_t>(clamp(random)); });
    }
    return buffer;
}

// A way to convert: the default (the fastest path the processor has) or one
// path chosen by name.
struct Conversion {
    const char* name;
    std::optional<FrameConverter::Path> path;
};

void PrintTo(const Conversion& conversion, std::ostream* out) {
    *out << conversion.name;
}

class FrameConverterPathTest : public ::testing::TestWithParam<Conversion> {
protected:
    void SetUp() override {
        const std::optional<FrameConverter::Path> path = GetParam().path;
        if (path && !FrameConverter::IsAvailable(*path)) {
            GTEST_SKIP() << "this processor can't run the " << GetParam().name << " path";
        }
    }

    void Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record) const {
        if (const std::optional<FrameConverter::Path> path = GetParam().path) {
            ASSERT_TRUE(FrameConverter::Convert(samples, polarity, record, *path));
        } else {
            FrameConverter::Convert(samples, polarity, record);
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Paths, FrameConverterPathTest,
                         ::testing::Values(Conversion{"fastest", std::nullopt},
                                           Conversion{"avx2", FrameConverter::Path::kAvx2},
                                           Conversion{"sse2", FrameConverter::Path::kSse2},
                                           Conversion{"portable", FrameConverter::Path::kPortable}),
                         [](const ::testing::TestParamInfo<Conversion>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

// x86-64 processors all have SSE2, so its path and the portable one run on
// every machine the program is built for.
TEST(FrameConverterTest, TheSse2AndPortablePathsAreAlwaysThere) {
    EXPECT_TRUE(FrameConverter::IsAvailable(FrameConverter::Path::kPortable));
#if defined(__x86_64__)
    EXPECT_TRUE(FrameConverter::IsAvailable(FrameConverter::Path::kSse2));
#endif
}

TEST_P(FrameConverterPathTest, UniformSignalsGiveTheDescribedGreyLevels) {
    struct Case {
        const char* what;
        uint8_t clamp;
        uint8_t picture;
        Polarity polarity;
        uint8_t expected;
    };
    const Case cases[] = {
        {"all zeros: offset 80", 0, 0, Polarity::kNormal, 40},
        {"all zeros inverted", 0, 0, Polarity::kInverted, 215},
        {"clamp sum 1,280: offset 0", 40, 10, Polarity::kNormal, 40},
        {"raw 10 everywhere: offset 60", 10, 10, Polarity::kNormal, 70},
        {"raw 255 everywhere: 805 clamped", 255, 255, Polarity::kNormal, 255},
        {"raw 255 everywhere inverted: -550 clamped", 255, 255, Polarity::kInverted, 0},
        {"black above 40: negative offset clamps at 0", 255, 0, Polarity::kNormal, 0},
    };
    FrameRecord record;
    for (const Case& c : cases) {
        Buffer buffer(kCaptureBufferSize_bytes, c.picture);
        FillClampWindows(buffer, c.clamp);
        Convert(buffer.data(), c.polarity, record);
        const uint8_t* pixels = record.Pixels();
        const auto wrong = std::find_if(pixels, pixels + FrameRecord::kPixelsSize_bytes,
                                        [&](uint8_t p) { return p != c.expected; });
        EXPECT_EQ(wrong, pixels + FrameRecord::kPixelsSize_bytes)
            << c.what << ": pixel " << (wrong - pixels) << " is " << int{*wrong};
    }
}

TEST_P(FrameConverterPathTest, FirstLineGoesToTheLastStoredRow) {
    Buffer buffer(kCaptureBufferSize_bytes, 0);
    FillClampWindows(buffer, 40);
    for (int r = 0; r < kPictureLines; ++r) {
        FillPictureLine(buffer, r, static_cast<uint8_t>(r % 64));  // gives 4 x (r % 64)
    }
    FrameRecord record;
    Convert(buffer.data(), Polarity::kNormal, record);
    for (int r = 0; r < kPictureLines; ++r) {
        const uint8_t* row = record.Pixels() + (287 - r) * FrameRecord::kRowStride_bytes;
        ASSERT_TRUE(std::all_of(row, row + 360, [&](uint8_t p) { return p == 4 * (r % 64); }))
            << "line " << r;
    }
}

TEST_P(FrameConverterPathTest, MatchesTheDescribedArithmeticOnRandomSignals) {
    const std::pair<uint32_t, int> signals[] = {{1, 255}, {2, 127}, {3, 63}, {4, 31}, {5, 200}};
    FrameRecord record;
    std::vector<uint8_t> expected(FrameRecord::kPixelsSize_bytes);
    size_t black = 0;
    size_t white = 0;
    for (const auto& [seed, peak] : signals) {
        const Buffer buffer = RandomBuffer(seed, peak);
        for (Polarity polarity : {Polarity::kNormal, Polarity::kInverted}) {
            ReferenceConvert(buffer.data(), polarity, expected.data());
            Convert(buffer.data(), polarity, record);
            const auto [got, want] =
                std::mismatch(record.Pixels(), record.Pixels() + expected.size(), expected.data());
            ASSERT_EQ(want, expected.data() + expected.size())
                << "seed " << seed << ", pixel " << (want - expected.data()) << ": " << int{*got}
                << " instead of " << int{*want};
            black += std::count(expected.begin(), expected.end(), 0);
            white += std::count(expected.begin(), expected.end(), 255);
        }
    }
    // The signals must exercise both clamps as well as the unclamped range.
    EXPECT_GT(black, 1000u);
    EXPECT_GT(white, 1000u);
    EXPECT_LT(black + white, 10 * FrameRecord::kPixelsSize_bytes / 2);
}

TEST(FrameConverterTest, InvertsWhenLine2ProbesExceedLine0ProbesByMoreThan120) {
    struct Case {
        uint8_t line0[4];
        uint8_t line2[4];
        Polarity expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {30, 30, 30, 30}, Polarity::kNormal},
        {{0, 0, 0, 0}, {31, 30, 30, 30}, Polarity::kInverted},
        {{100, 100, 100, 100}, {130, 131, 130, 130}, Polarity::kInverted},
        {{255, 255, 255, 255}, {0, 0, 0, 0}, Polarity::kNormal},
        {{0, 0, 0, 0}, {255, 255, 255, 255}, Polarity::kInverted},
    };
    for (const Case& c : cases) {
        Buffer buffer(kCaptureBufferSize_bytes, 0);
        std::copy_n(c.line0, 4, buffer.begin() + kInversionProbeLine0);
        std::copy_n(c.line2, 4, buffer.begin() + kInversionProbeLine2);
        EXPECT_EQ(FrameConverter::DetectPolarity(buffer.data()), c.expected)
            << int{c.line2[0]} << " ... vs " << int{c.line0[0]} << " ...";
    }
}
