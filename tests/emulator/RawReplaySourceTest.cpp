#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "emulator/RawReplaySource.h"
#include "support/EmulatorCaptureRig.h"
#include "util/RawCaptureFormat.h"

namespace {

constexpr uint32_t kFrameBytes = 691'200;

// A capture folder of `frames` buffers; frame k's byte b is (b / 1,000 + 40 k)
// mod 256 over the bytes the program fills, and 0xEE in the last 1,024.
struct CaptureFolder {
    explicit CaptureFolder(uint32_t frames, uint64_t rate_hz = 35'438'456) {
        std::vector<uint8_t> samples(size_t(frames) * kFrameBytes, 0xEE);
        std::string sidecar = RawCaptureFormat::HeaderText({rate_hz, 2268, kFrameBytes, "test"});
        for (uint32_t k = 0; k < frames; ++k) {
            for (uint32_t b = 0; b < EmulatorCaptureRig::kFilled; ++b) {
                samples[size_t(k) * kFrameBytes + b] = static_cast<uint8_t>(b / 1'000 + 40 * k);
            }
            sidecar += RawCaptureFormat::FrameLine({k, 2 * k, 35'438'456, 0xF0, 0, 0, 40'000 * k});
        }
        sidecar += RawCaptureFormat::EndLine({frames, 0, 0});
        Write("capture.u8", std::string(samples.begin(), samples.end()));
        Write("capture.txt", sidecar);
    }
    void Write(const char* name, const std::string& bytes) const {
        std::ofstream(Path() + "/" + name, std::ios::binary) << bytes;
    }
    std::string Path() const { return folder.path().toStdString(); }
    QTemporaryDir folder;
};

// At the recorded rate the chip captures the recorded buffers again, in order
// and round again. Its first even field comes before the DMA program runs, so
// the first capture is of frame 1.
TEST(RawReplaySourceTest, TheChipCapturesTheRecordedBuffersInOrder) {
    CaptureFolder capture(3);
    EmulatedCard card("raw:" + capture.Path());
    EmulatorCaptureRig rig(card);
    rig.StartEngineCapture();
    for (uint32_t frame = 1; frame < 6; ++frame) {
        const uint8_t* buffer = rig.Capture();
        uint32_t k = frame % 3;
        EXPECT_EQ(buffer[0], uint8_t(40 * k)) << frame;
        EXPECT_EQ(buffer[500'000], uint8_t(500 + 40 * k)) << frame;
        EXPECT_EQ(buffer[EmulatorCaptureRig::kFilled - 1], uint8_t(690 + 40 * k)) << frame;
        rig.NextEvenField();
    }
}

TEST(RawReplaySourceTest, PlaysEachFrameAtItsRecordedRate) {
    CaptureFolder capture(2);
    std::string sidecar = RawCaptureFormat::HeaderText({35'437'500, 2268, kFrameBytes, "test"}) +
                          RawCaptureFormat::FrameLine({0, 0, 35'438'436, 0xF0, 0, 0, 0}) +
                          RawCaptureFormat::FrameLine({1, 2, 0, 0xF0, 0, 0, 40'000});
    capture.Write("capture.txt", sidecar);
    RawReplaySource source(capture.Path());
    EXPECT_EQ(source.SampleRate_hz(0), 35'438'436u);
    EXPECT_EQ(source.SampleRate_hz(1), 35'437'500u);  // no read-back: the capture's rate
    EXPECT_EQ(source.SampleRate_hz(2), 35'438'436u);
}

// The frame lines past the captured 304 repeat the captured ones from the top,
// so the lines keep their period.
TEST(RawReplaySourceTest, TheUncapturedRestOfTheFrameRepeatsTheCapturedLines) {
    CaptureFolder capture(1);
    RawReplaySource source(capture.Path());
    std::vector<uint8_t> first(source.Line(17, 0), source.Line(17, 0) + 2268);
    std::vector<uint8_t> repeated(source.Line(17 + 304, 0), source.Line(17 + 304, 0) + 2268);
    EXPECT_EQ(first, repeated);
}

TEST(RawReplaySourceTest, BadFoldersAreReportedInOneLine) {
    struct Case {
        const char* name;
        std::function<void(CaptureFolder&)> damage;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"no folder", [](CaptureFolder& f) { std::filesystem::remove_all(f.Path()); },
         "no such folder"},
        {"no sidecar", [](CaptureFolder& f) { std::filesystem::remove(f.Path() + "/capture.txt"); },
         "no capture.txt"},
        {"no samples", [](CaptureFolder& f) { std::filesystem::remove(f.Path() + "/capture.u8"); },
         ": capture.u8: No such file or directory"},
        {"damaged sidecar", [](CaptureFolder& f) { f.Write("capture.txt", "hello\n"); },
         "capture.txt is not a QuorvTV raw capture sidecar"},
        {"short samples",
         [](CaptureFolder& f) { std::filesystem::resize_file(f.Path() + "/capture.u8", 1'000); },
         "capture.u8 has 1000 bytes, the sidecar lists 2 frames of 691200"},
        {"other line period",
         [](CaptureFolder& f) {
             f.Write("capture.txt",
                     RawCaptureFormat::HeaderText({35'438'456, 1816, kFrameBytes, "x"}) +
                         RawCaptureFormat::FrameLine({}));
         },
         "its lines are 1816 samples long, not 2268"},
        {"small frames",
         [](CaptureFolder& f) {
             f.Write("capture.txt", RawCaptureFormat::HeaderText({35'438'456, 2268, 4'096, "x"}) +
                                        RawCaptureFormat::FrameLine({}));
         },
         "its frames are 4096 bytes, fewer than the 690176 the capture fills"},
        {"no frames",
         [](CaptureFolder& f) {
             f.Write("capture.txt",
                     RawCaptureFormat::HeaderText({35'438'456, 2268, kFrameBytes, "x"}));
         },
         "it holds no frame"},
    };
    for (const Case& c : cases) {
        CaptureFolder capture(2);
        c.damage(capture);
        try {
            EmulatedCard card("raw:" + capture.Path());
            ADD_FAILURE() << c.name << " was taken";
        } catch (const std::runtime_error& error) {
            std::string what = error.what();
            EXPECT_NE(what.find(c.error), std::string::npos) << c.name << ": " << what;
            EXPECT_EQ(what.find('\n'), std::string::npos) << c.name;
        }
    }
}

}  // namespace
