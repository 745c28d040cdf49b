#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "emulator/SampleFileSource.h"
#include "emulator/SignalLayout.h"
#include "support/EmulatorCaptureRig.h"

using namespace SignalLayout;

namespace {

std::string WriteFile(const QTemporaryDir& folder, const char* name,
                      const std::vector<uint8_t>& bytes) {
    const std::string path = folder.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

TEST(SampleFileSourceTest, MapsEveryCodeThroughGainAndOffset) {
    QTemporaryDir folder;
    std::vector<uint8_t> frame(kSamplesPerFrame, 0);
    const uint8_t codes[] = {0, 89, 128, 217, 255};
    for (size_t i = 0; i < std::size(codes); ++i) {
        frame[i] = codes[i];
    }
    const std::string path = WriteFile(folder, "codes.u8", frame);
    struct Case {
        double gain;
        double offset;
        uint8_t expected[5];
    };
    const Case cases[] = {
        {1.0, 0.0, {0, 89, 128, 217, 255}},
        {0.1646, 28.9, {29, 44, 50, 65, 71}},    // rounded to the nearest code
        {-1.0, 306.0, {255, 217, 178, 89, 51}},  // hacktv's --invert-video
        {2.0, -300.0, {0, 0, 0, 134, 210}},      // limited to 0 ... 255
    };
    for (const Case& c : cases) {
        SampleFileSource source(path, {c.gain, c.offset});
        const uint8_t* line = source.Line(0, 0);
        for (size_t i = 0; i < std::size(codes); ++i) {
            EXPECT_EQ(line[i], c.expected[i])
                << c.gain << " " << c.offset << " code " << int(codes[i]);
        }
    }
}

TEST(SampleFileSourceTest, PlaysItsFramesInALoop) {
    QTemporaryDir folder;
    std::vector<uint8_t> frames(3 * kSamplesPerFrame);
    for (size_t i = 0; i < frames.size(); ++i) {
        frames[i] = static_cast<uint8_t>(10 * (i / kSamplesPerFrame) +
                                         (i % kSamplesPerFrame / kSamplesPerLine) % 7);
    }
    SampleFileSource source(WriteFile(folder, "three.u8", frames), {});
    EXPECT_EQ(source.FrameCount(), 3u);
    EXPECT_EQ(source.SampleRate_hz(0), 35'437'500u);
    struct Case {
        uint32_t line;
        uint32_t frame;
        uint8_t expected;
    };
    const Case cases[] = {{0, 0, 0}, {8, 0, 1}, {8, 1, 11}, {624, 2, 20 + 624 % 7}, {8, 3, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(source.Line(c.line, c.frame)[100], c.expected) << c.line << " " << c.frame;
    }
}

TEST(SampleFileSourceTest, FilesThatAreNotWholeFramesAreRefused) {
    QTemporaryDir folder;
    const std::vector<size_t> sizes = {1, kSamplesPerFrame - 1, kSamplesPerFrame + 1};
    for (size_t size : sizes) {
        const std::string path = WriteFile(folder, "bad.u8", std::vector<uint8_t>(size, 128));
        try {
            SampleFileSource source(path, {});
            ADD_FAILURE() << size << " bytes were taken";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "sample file " + path + ": " + std::to_string(size) +
                          " bytes is not a whole number of frames of 1417500 samples");
        }
    }
    EXPECT_THROW(SampleFileSource(folder.filePath("missing.u8").toStdString(), {}),
                 std::runtime_error);
    EXPECT_THROW(SampleFileSource(WriteFile(folder, "empty.u8", {}), {}), std::runtime_error);
    EXPECT_THROW(SampleFileSource(folder.path().toStdString(), {}), std::runtime_error);
}

TEST(SampleFileSourceTest, OptionsNameTheFileAndTheMapping) {
    struct Case {
        const char* text;
        EmulatedCard::Input input;
        const char* path;
        double gain;
        double offset;
        uint32_t cards;
    };
    using Input = EmulatedCard::Input;
    const Case cases[] = {
        {"signal:/tmp/a.u8", Input::SampleFile, "/tmp/a.u8", 1.0, 0.0, 1},
        {"signal:/tmp/a,b.u8,gain=0.5,offset=-3.25", Input::SampleFile, "/tmp/a,b.u8", 0.5, -3.25,
         1},
        {"two,signal:x.u8,offset=7", Input::SampleFile, "x.u8", 1.0, 7.0, 2},
        {"raw:/tmp/dump", Input::RawCapture, "/tmp/dump", 1.0, 0.0, 1},
        {"raw:/tmp/dump,gain=2", Input::RawCapture, "/tmp/dump,gain=2", 1.0, 0.0, 1},
    };
    for (const Case& c : cases) {
        EmulatedCard::Options options = EmulatedCard::ParseOptions(c.text);
        EXPECT_EQ(options.input, c.input) << c.text;
        EXPECT_EQ(options.videoFile, c.path) << c.text;
        EXPECT_EQ(options.mapping.gain, c.gain) << c.text;
        EXPECT_EQ(options.mapping.offset, c.offset) << c.text;
        EXPECT_EQ(options.cards, c.cards) << c.text;
    }
    for (const char* bad : {"signal:", "signal:,gain=2", "signal:a.u8,gain=", "signal:a.u8,gain=x",
                            "signal:a.u8,offset=1e", "raw:"}) {
        EXPECT_THROW(EmulatedCard::ParseOptions(bad), std::invalid_argument) << bad;
    }
}

// The file's samples were taken at 35,437,500 Hz: at the program's default
// PLL (956 Hz higher) each frame takes 38 samples more than the file's, so the
// lock edge drifts; with the PLL at the file's rate it stands.
TEST(SampleFileSourceTest, RunsAtTheFilesRateWhateverThePll) {
    QTemporaryDir folder;
    std::vector<uint8_t> frame(kSamplesPerFrame);
    for (uint32_t line = 0; line < kLinesPerFrame; ++line) {
        std::vector<uint8_t> samples(kSamplesPerLine, 128);
        std::fill_n(samples.begin(), kLineSync, uint8_t{89});
        std::copy(samples.begin(), samples.end(), frame.begin() + size_t(line) * kSamplesPerLine);
    }
    const std::string path = WriteFile(folder, "syncs.u8", frame);
    struct Case {
        uint32_t low;  // PLL_F_LO; PLL_XCI 0x8E and PLL_F_HI 0xD9 in both
        int drift;
    };
    for (const Case c : {Case{0xB4, 38}, Case{0x9A, 0}}) {
        EmulatedCard card("signal:" + path + ",gain=0.1646,offset=28.9");
        EmulatorCaptureRig rig(card);
        rig.ConfigureRawCapture();
        rig.StartClock(0x8E, 0xD9, c.low);
        rig.WriteProgram(rig.EngineProgram());
        rig.StartCapture();
        rig.NextEvenField();
        rig.NextEvenField();  // the first whole field captured
        int first = rig.LockIndex();
        for (int k = 0; k < 2; ++k) {
            rig.NextEvenField();
        }
        EXPECT_NEAR(rig.LockIndex() - first, 2 * c.drift, 2) << c.low;
    }
}

}  // namespace
