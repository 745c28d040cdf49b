#include "platform/AviLibrary.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"

namespace {

// Just past 1 GiB of uncompressed frames, where plain AVI ends and OpenDML
// has to take over.
constexpr int kFrames = 10'500;
static_assert(int64_t{kFrames} * RecorderTestFrame::kPixelBytes > (int64_t{1} << 30));

// Slow: writes and reads back 1.09 GB.
TEST(AviLibraryLargeFileTest, SlowRecordingPastOneGibibyteReadsBackCompletely) {
    QTemporaryDir folder;
    const QString path = folder.filePath("large.avi");
    RecorderTestFrame frame;
    AviLibrary::StreamInfo info;
    info.frameWidth = RecorderTestFrame::kWidth;
    info.frameHeight = RecorderTestFrame::kHeight;
    info.name = "QuorvTV";
    AviCompressionOptions options;
    options.handler = AviCompressor::Uncompressed().fourCC;
    {
        AviLibrary library;
        ASSERT_TRUE(library.CreateStream(info));
        ASSERT_TRUE(library.SetFormat(frame.Record(), AviLibrary::kFormatBytes, options));
        ASSERT_TRUE(library.OpenFile(path.toStdString()));
        uint8_t* stamp = const_cast<uint8_t*>(frame.Pixels());
        for (int index = 0; index < kFrames; ++index) {
            stamp[0] = static_cast<uint8_t>(index);
            stamp[1] = static_cast<uint8_t>(index >> 8);
            ASSERT_TRUE(library.WriteFrame(index, frame.Pixels(), RecorderTestFrame::kPixelBytes));
        }
    }

    const std::vector<RecorderFileProbe::Packet> packets = RecorderFileProbe::Packets(path);
    ASSERT_EQ(packets.size(), size_t{kFrames});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_GT(file.size(), int64_t{1} << 30);
    // The second RIFF list of an OpenDML file starts right after 1 GiB.
    ASSERT_TRUE(file.seek((1 << 30) - (1 << 20)));
    EXPECT_EQ(file.read(4 << 20).count("RIFF"), 1);
    for (int index = 0; index < kFrames; ++index) {
        ASSERT_EQ(packets[index].size, int(RecorderTestFrame::kPixelBytes)) << index;
        ASSERT_TRUE(file.seek(packets[index].position));
        const QByteArray stamp = file.read(2);
        ASSERT_EQ((uint8_t(stamp[0]) | uint8_t(stamp[1]) << 8), index);
    }
    EXPECT_EQ(RecorderFileProbe::Probe(path).packets, kFrames);
}

}  // namespace
