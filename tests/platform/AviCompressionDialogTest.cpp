// The Qt compression dialog. It lives with the AVI tests because it exists
// only to fill the AVI compression options.
#include "app/dialogs/CompressionOptionsDialog.h"

#include <QTimer>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"

namespace {

AviCompressionOptions Options(uint32_t fourCC, uint32_t flags) {
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = fourCC;
    options.keyFrameEvery = 25;
    options.quality = 6000;
    options.bytesPerSecond = 200 * 1024;
    options.flags = flags;
    options.interleaveEvery = 3;
    return options;
}

// Settings a compressor has no use for keep their values but lose their flag.
TEST(AviCompressionDialogTest, ShowsTheOptionsAndGivesThemBack) {
    constexpr uint32_t kBoth =
        AviCompressionOptions::kFlagKeyFrames | AviCompressionOptions::kFlagDataRate;
    constexpr uint32_t kValid = AviCompressionOptions::kFlagValid;
    struct Case {
        uint32_t fourCC;
        uint32_t flags;
        uint32_t expectedFlags;
    };
    const Case cases[] = {
        {AviFourCC("DIB "), kBoth, kValid},
        {AviFourCC("FFV1"), kBoth, kValid | AviCompressionOptions::kFlagKeyFrames},
        {AviFourCC("MJPG"), kBoth, kValid | AviCompressionOptions::kFlagDataRate},
        {AviFourCC("FMP4"), kBoth, kValid | kBoth},
        {AviFourCC("FMP4"), 0, kValid},
        {AviFourCC("FMP4"), AviCompressionOptions::kFlagInterleave,
         kValid | AviCompressionOptions::kFlagInterleave},
    };
    CompressionOptionsDialog dialog;
    for (const Case& test : cases) {
        SCOPED_TRACE(static_cast<int>(&test - cases));
        dialog.Load(Options(test.fourCC, test.flags));

        AviCompressionOptions expected = Options(test.fourCC, test.expectedFlags);
        EXPECT_EQ(dialog.Result(), expected);
    }
}

TEST(AviCompressionDialogTest, StartsFromUncompressedWithoutAKnownCompressor) {
    CompressionOptionsDialog dialog;
    for (uint32_t handler : {0u, AviFourCC("XVID")}) {
        AviCompressionOptions options;
        options.handler = handler;
        dialog.Load(options);

        const AviCompressionOptions result = dialog.Result();
        EXPECT_EQ(result.handler, AviCompressor::Uncompressed().fourCC);
        EXPECT_EQ(result.streamType, AviFourCC("vids"));
        EXPECT_EQ(result.flags, AviCompressionOptions::kFlagValid);
        EXPECT_GT(result.keyFrameEvery, 0u);
        EXPECT_GT(result.bytesPerSecond, 0u);
    }
}

TEST(AviCompressionDialogTest, RunFillsTheOptionsOnlyWhenConfirmed) {
    CompressionOptionsDialog dialog;
    const AviCompressionOptions start = Options(AviFourCC("MJPG"), 0);

    AviCompressionOptions cancelled = start;
    QTimer::singleShot(0, &dialog, &QDialog::reject);
    EXPECT_FALSE(dialog.Run(cancelled));
    EXPECT_EQ(cancelled, start);

    AviCompressionOptions confirmed = start;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_TRUE(dialog.Run(confirmed));
    EXPECT_EQ(confirmed.flags, AviCompressionOptions::kFlagValid);
    EXPECT_EQ(confirmed.handler, AviFourCC("MJPG"));
}

}  // namespace
