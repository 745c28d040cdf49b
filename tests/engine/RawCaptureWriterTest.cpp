#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/FrameConverter.h"
#include "engine/RawCaptureWriter.h"
#include "engine/RawSampleLayout.h"
#include "support/EngineRig.h"

namespace {

constexpr size_t kFrameBytes = RawSampleLayout::kCaptureBufferSize_bytes;

RawCaptureFormat::Sidecar ReadSidecar(const std::string& folder) {
    std::ifstream file(folder + "/capture.txt");
    std::ostringstream text;
    text << file.rdbuf();
    RawCaptureFormat::Sidecar sidecar;
    std::string error;
    EXPECT_TRUE(RawCaptureFormat::Parse(text.str(), sidecar, error)) << error;
    return sidecar;
}

std::vector<uint8_t> ReadSamples(const std::string& folder) {
    std::ifstream file(folder + "/capture.u8", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Each frame's buffer is the one the engine converted: converting the dumped
// bytes again gives the picture the engine showed.
TEST(RawCaptureWriterTest, DumpsEachConvertedFrameWithItsCounters) {
    EngineRig rig;
    const std::string folder = rig.Path("dump");
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder, error);
    ASSERT_TRUE(writer) << error;
    rig.Start(writer.get());
    for (int frame = 0; frame < 5; ++frame) {
        rig.RunToNextFrame();
    }
    const std::vector<uint8_t> shown = rig.Picture();
    rig.Stop();
    ASSERT_TRUE(writer->Close(error)) << error;

    RawCaptureFormat::Sidecar sidecar = ReadSidecar(folder);
    EXPECT_TRUE(sidecar.closed);
    EXPECT_EQ(sidecar.header.linePeriod_samples, 2268u);
    EXPECT_EQ(sidecar.header.frameBytes, kFrameBytes);
    EXPECT_EQ(sidecar.header.sampleRate_hz, 35'438'456u);
    ASSERT_EQ(sidecar.frames.size(), 5u);
    for (size_t k = 1; k < sidecar.frames.size(); ++k) {
        const RawCaptureFormat::Frame& frame = sidecar.frames[k];
        EXPECT_EQ(frame.fieldCount, (sidecar.frames[k - 1].fieldCount + 2) & 0xFF) << k;
        EXPECT_EQ(frame.missed + frame.dropped, 0u) << k;
        EXPECT_NEAR(double(frame.pll_hz), 35'438'456.0, 60.0) << k;
        // PRES, HLOC, even field (NUML only after 32 fields of the signal)
        EXPECT_EQ(frame.dstatus & 0xE0u, 0xE0u) << k;
        // 40 ms a frame, seen at the frame loop's next 2 ms pass; the test
        // clock also moves 1 us at every reading.
        EXPECT_NEAR(double(frame.time_us - sidecar.frames[k - 1].time_us), 40'000.0, 2'200.0) << k;
    }
    std::vector<uint8_t> samples = ReadSamples(folder);
    ASSERT_EQ(samples.size(), 5 * kFrameBytes);
    FrameRecord record;
    FrameConverter::Convert(samples.data() + 4 * kFrameBytes, FrameConverter::Polarity::kNormal,
                            record);
    for (int row = 0; row < FrameRecord::kHeight; ++row) {
        EXPECT_EQ(std::memcmp(record.Pixels() + (FrameRecord::kHeight - 1 - row) * 360,
                              &shown[size_t(row) * 360], 360),
                  0)
            << row;
    }
}

// The frame loop sleeping through three frames: the counter jumps by six
// fields, and the two frames it never saw are counted.
TEST(RawCaptureWriterTest, CountsTheFramesTheLoopNeverSaw) {
    EngineRig rig;
    const std::string folder = rig.Path("dump");
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder, error);
    ASSERT_TRUE(writer) << error;
    rig.Start(writer.get());
    rig.RunToNextFrame();
    rig.RunToNextFrame();
    rig.clock.AdvanceMs(120);
    rig.RunToNextFrame();
    rig.Stop();
    ASSERT_TRUE(writer->Close(error)) << error;
    RawCaptureFormat::Sidecar sidecar = ReadSidecar(folder);
    ASSERT_EQ(sidecar.frames.size(), 3u);
    EXPECT_EQ(sidecar.frames[1].missed, 0u);
    EXPECT_EQ(sidecar.frames[2].missed, 2u);
    EXPECT_EQ(writer->GetTotals().missed, 2u);
}

// Frames handed over faster than the disk takes them are dropped, not
// waited for; every one is accounted for in the sidecar either way.
TEST(RawCaptureWriterTest, FramesWithoutRoomAreCountedAsDropped) {
    EngineRig rig;
    rig.Start();
    const std::string folder = rig.Path("dump");
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder, error);
    ASSERT_TRUE(writer) << error;
    std::vector<uint8_t> buffer(kFrameBytes, 7);
    constexpr uint32_t kHanded = 40;
    for (uint32_t k = 0; k < kHanded; ++k) {
        writer->OnFrame(buffer.data(), 2 * k, *rig.card);
    }
    ASSERT_TRUE(writer->Close(error)) << error;
    RawCaptureFormat::Totals totals = writer->GetTotals();
    EXPECT_EQ(totals.frames + totals.dropped, kHanded);
    EXPECT_GE(totals.frames, RawCaptureWriter::kSlots);
    RawCaptureFormat::Sidecar sidecar = ReadSidecar(folder);
    uint32_t dropped = 0;
    for (const RawCaptureFormat::Frame& frame : sidecar.frames) {
        dropped += frame.dropped;
    }
    EXPECT_LE(dropped,
              totals.dropped);  // drops after the last written frame show in the end line only
    EXPECT_EQ(ReadSamples(folder).size(), totals.frames * kFrameBytes);
}

TEST(RawCaptureWriterTest, RefusesAFolderThatHoldsACaptureOrCantBeMade) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("dump").toStdString();
    std::string error;
    {
        std::unique_ptr<RawCaptureWriter> first = RawCaptureWriter::Open(path, error);
        ASSERT_TRUE(first) << error;
    }
    EXPECT_FALSE(RawCaptureWriter::Open(path, error));
    EXPECT_EQ(error, path + " already holds a raw capture; choose another folder");
    std::ofstream(folder.filePath("file").toStdString()) << "x";
    EXPECT_FALSE(RawCaptureWriter::Open(folder.filePath("file").toStdString() + "/dump", error));
    EXPECT_NE(error.find("can't create the folder"), std::string::npos) << error;
}

}  // namespace
