#include <gtest/gtest.h>

#include <string>

#include "util/RawCaptureFormat.h"

using namespace RawCaptureFormat;

namespace {

std::string Sample() {
    Header header{35'438'456, 2268, 691'200, "1.2.3"};
    std::string text = HeaderText(header);
    text += FrameLine({0, 2, 35'438'456, 0xF0, 0, 0, 1'000'000});
    text += FrameLine({1, 6, 35'438'436, 0xF4, 1, 2, 1'080'000});
    return text;
}

TEST(RawCaptureFormatTest, WrittenSidecarReadsBack) {
    Sidecar sidecar;
    std::string error;
    ASSERT_TRUE(Parse(Sample() + EndLine({2, 1, 2}), sidecar, error)) << error;
    EXPECT_EQ(sidecar.header.sampleRate_hz, 35'438'456u);
    EXPECT_EQ(sidecar.header.linePeriod_samples, 2268u);
    EXPECT_EQ(sidecar.header.frameBytes, 691'200u);
    EXPECT_EQ(sidecar.header.programVersion, "1.2.3");
    ASSERT_EQ(sidecar.frames.size(), 2u);
    const Frame& second = sidecar.frames[1];
    EXPECT_EQ(second.fieldCount, 6u);
    EXPECT_EQ(second.pll_hz, 35'438'436);
    EXPECT_EQ(second.dstatus, 0xF4u);
    EXPECT_EQ(second.missed, 1u);
    EXPECT_EQ(second.dropped, 2u);
    EXPECT_EQ(second.time_us, 1'080'000u);
    EXPECT_TRUE(sidecar.closed);
    EXPECT_EQ(FrameLine(second), "1 6 35438436 0xf4 1 2 1080000\n");
}

TEST(RawCaptureFormatTest, ACaptureCutShortStillReads) {
    Sidecar sidecar;
    std::string error;
    ASSERT_TRUE(Parse(Sample(), sidecar, error)) << error;
    EXPECT_EQ(sidecar.frames.size(), 2u);
    EXPECT_FALSE(sidecar.closed);
}

TEST(RawCaptureFormatTest, DamagedSidecarsNameTheirFault) {
    const std::string good = Sample();
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"", "capture.txt is not a QuorvTV raw capture sidecar"},
        {"QuorvTV raw capture 2\n", "capture.txt is not a QuorvTV raw capture sidecar"},
        {good + "2 8 35438456 0xf0 0 0\n", "capture.txt line 9 is not a header, frame or end line"},
        {good + "2 8 35438456 0xzz 0 0 5\n",
         "capture.txt line 9 is a frame line with a field that is not a number"},
        {good + "5 8 35438456 0xf0 0 0 5\n", "capture.txt line 9 numbers its frame 5 instead of 2"},
        {good + "end frames 3 missed 0 dropped 0\n",
         "capture.txt line 9 counts 3 frames, the lines 2"},
        {good + "end frames 2 missed 0 dropped 0\n1 2 3 0x00 0 0 1\n",
         "capture.txt line 10 has text after the end line"},
        {"QuorvTV raw capture 1\nframe-bytes lots\n",
         "capture.txt line 2 has a bad value for frame-bytes"},
        {"QuorvTV raw capture 1\ncolour yes\n",
         "capture.txt line 2 has an unknown header key 'colour'"},
        {"QuorvTV raw capture 1\nframe-bytes 691200\n",
         "capture.txt lacks sample-rate-hz, line-period-samples or frame-bytes"},
    };
    for (const Case& c : cases) {
        Sidecar sidecar;
        std::string error;
        EXPECT_FALSE(Parse(c.text, sidecar, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
