#include "platform/AviLibrary.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"

namespace {

AviLibrary::StreamInfo QuorvStream() {
    AviLibrary::StreamInfo info;
    info.rate = 20;
    info.frameWidth = RecorderTestFrame::kWidth;
    info.frameHeight = RecorderTestFrame::kHeight;
    info.name = "QuorvTV";
    return info;
}

AviCompressionOptions OptionsFor(uint32_t fourCC) {
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = fourCC;
    options.quality = 9000;
    options.flags = AviCompressionOptions::kFlagValid;
    return options;
}

class AviLibraryTest : public ::testing::TestWithParam<const AviCompressor*> {
protected:
    // Writes `frames` frames with the compressor to a new file; its path.
    QString Record(uint32_t fourCC, int frames) {
        const QString path = folder_.filePath("clip.avi");
        AviLibrary library;
        EXPECT_TRUE(library.CreateStream(QuorvStream()));
        EXPECT_TRUE(
            library.SetFormat(frame_.Record(), AviLibrary::kFormatBytes, OptionsFor(fourCC)));
        EXPECT_TRUE(library.OpenFile(path.toStdString()));
        for (int index = 0; index < frames; ++index) {
            frame_.Paint(index);
            EXPECT_TRUE(library.WriteFrame(index, frame_.Pixels(), RecorderTestFrame::kPixelBytes));
        }
        library.Release();
        return path;
    }

    QTemporaryDir folder_;
    RecorderTestFrame frame_;
};

TEST_P(AviLibraryTest, FfprobeSeesOneStreamOfTheWrittenSeconds) {
    const QString path = Record(GetParam()->fourCC, 3 * 20);

    const RecorderFileProbe::Result probe = RecorderFileProbe::Probe(path);
    EXPECT_EQ(probe.videoStreams, 1);
    EXPECT_EQ(probe.otherStreams, 0);
    EXPECT_EQ(probe.width, 360);
    EXPECT_EQ(probe.height, 288);
    EXPECT_EQ(probe.frameRate, "20/1");
    EXPECT_EQ(probe.packets, 60);
    EXPECT_NEAR(probe.duration_s, 3.0, 0.05);
    EXPECT_EQ(probe.title, "QuorvTV");
}

// Grey levels become luma unchanged: full range, no squeeze into 16 … 235.
// Read from the decoder's own planes, so no conversion of ffmpeg's blurs it.
TEST_P(AviLibraryTest, LumaKeepsTheFullRangeOfGrey) {
    const QString path = Record(GetParam()->fourCC, 1);

    const QByteArray decoded = RecorderFileProbe::Decode(path, nullptr);
    ASSERT_GE(static_cast<size_t>(decoded.size()), RecorderTestFrame::kPixelBytes);
    frame_.Paint(0);
    const std::vector<uint8_t> expected = frame_.TopDownPixels();
    int64_t difference = 0;
    for (size_t at = 0; at < expected.size(); ++at) {
        difference += std::abs(int(uint8_t(decoded[int(at)])) - int(expected[at]));
    }
    EXPECT_LT(double(difference) / double(expected.size()), 2.0);
}

INSTANTIATE_TEST_SUITE_P(EveryCompressor, AviLibraryTest,
                         ::testing::ValuesIn(AviCompressor::Available()), [](const auto& info) {
                             return std::string(info.param->encoderName ? info.param->encoderName
                                                                        : "raw");
                         });

// Lossless compressors must give back exactly what was written, top line
// first. Decoded palettised frames carry their palette behind the pixels; it
// must still be the grey ramp.
TEST(AviLibraryLosslessTest, FramesDecodePixelIdentical) {
    struct Case {
        uint32_t fourCC;
        const char* decodedFormat;
        size_t paletteBytes;
    };
    constexpr int kFrames = 5;
    for (const Case& test :
         {Case{AviFourCC("DIB "), "pal8", 1024}, Case{AviFourCC("FFV1"), "gray", 0}}) {
        SCOPED_TRACE(test.decodedFormat);
        QTemporaryDir folder;
        const QString path = folder.filePath("lossless.avi");
        RecorderTestFrame frame;
        AviLibrary library;
        ASSERT_TRUE(library.CreateStream(QuorvStream()));
        ASSERT_TRUE(
            library.SetFormat(frame.Record(), AviLibrary::kFormatBytes, OptionsFor(test.fourCC)));
        ASSERT_TRUE(library.OpenFile(path.toStdString()));
        for (int index = 0; index < kFrames; ++index) {
            frame.Paint(index);
            ASSERT_TRUE(library.WriteFrame(index, frame.Pixels(), RecorderTestFrame::kPixelBytes));
        }
        library.Release();

        const QByteArray decoded = RecorderFileProbe::Decode(path, test.decodedFormat);
        const size_t frameBytes = RecorderTestFrame::kPixelBytes + test.paletteBytes;
        ASSERT_EQ(static_cast<size_t>(decoded.size()), kFrames * frameBytes);
        for (int index = 0; index < kFrames; ++index) {
            frame.Paint(index);
            const std::vector<uint8_t> expected = frame.TopDownPixels();
            const auto* decodedFrame =
                reinterpret_cast<const uint8_t*>(decoded.constData()) + index * frameBytes;
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), decodedFrame)) << index;
            for (size_t entry = 0; entry < test.paletteBytes / 4; ++entry) {
                const uint8_t* colour = decodedFrame + expected.size() + entry * 4;
                ASSERT_TRUE(colour[0] == entry && colour[1] == entry && colour[2] == entry);
            }
        }
    }
}

// The uncompressed stream's format block is the frame record's header and
// palette, byte for byte: positive height (bottom-up rows), 256 colours.
TEST(AviLibraryLosslessTest, UncompressedFormatBlockIsTheFrameRecordsFormat) {
    QTemporaryDir folder;
    const QString path = folder.filePath("format.avi");
    RecorderTestFrame frame;
    AviLibrary library;
    ASSERT_TRUE(library.CreateStream(QuorvStream()));
    ASSERT_TRUE(
        library.SetFormat(frame.Record(), AviLibrary::kFormatBytes, OptionsFor(AviFourCC("DIB "))));
    ASSERT_TRUE(library.OpenFile(path.toStdString()));
    library.Release();

    const QByteArray format = RecorderFileProbe::Chunk(path, "strf");
    ASSERT_EQ(format.size(), 1064);
    EXPECT_EQ(0, std::memcmp(format.constData(), frame.Record(), 1064));

    // The stream header: video, 1/20 s per frame, frame rectangle 0, 0, 360, 288.
    const QByteArray header = RecorderFileProbe::Chunk(path, "strh");
    ASSERT_EQ(header.size(), 56);
    const auto word = [&](int at) {
        return *reinterpret_cast<const uint32_t*>(header.data() + at);
    };
    EXPECT_EQ(header.left(4), "vids");
    EXPECT_EQ(word(20), 1u);
    EXPECT_EQ(word(24), 20u);
    EXPECT_EQ(word(48), 0u);
    EXPECT_EQ(word(52), 360u | 288u << 16);
}

TEST(AviLibraryRefusalTest, FormatsAndCompressorsItCannotWrite) {
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
        uint32_t fourCC;
    };
    const Case cases[] = {
        {"unknown compressor", 0, 40, AviFourCC("XVID")},
        {"no compressor", 0, 40, 0},
        {"width other than the stream's", 4, 0x20, AviFourCC("DIB ")},
        {"top-down rows", 11, 0xFF, AviFourCC("DIB ")},
        {"16 bits per pixel", 14, 16, AviFourCC("DIB ")},
        {"header size other than 40", 0, 12, AviFourCC("MJPG")},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        QTemporaryDir folder;
        RecorderTestFrame frame;
        std::vector<uint8_t> format(frame.Record(), frame.Record() + AviLibrary::kFormatBytes);
        format[test.offset] = test.value;
        AviLibrary library;
        ASSERT_TRUE(library.CreateStream(QuorvStream()));
        EXPECT_FALSE(library.SetFormat(format.data(), format.size(), OptionsFor(test.fourCC)));
        EXPECT_FALSE(library.OpenFile(folder.filePath("refused.avi").toStdString()));
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
        EXPECT_FALSE(library.IsOpen());
        EXPECT_FALSE(library.WriteFrame(0, frame.Pixels(), RecorderTestFrame::kPixelBytes));
    }
}

}  // namespace
