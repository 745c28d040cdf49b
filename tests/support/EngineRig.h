#pragma once

#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "engine/FrameRecord.h"
#include "hardware/CaptureCard.h"
#include "platform/AviCompressionOptions.h"
#include "platform/AviCompressor.h"
#include "platform/VideoSurface.h"
#include "support/FakeCameraSource.h"
#include "support/FakeMicrosecondClock.h"
#include "support/FakeRegisterWindowScope.h"
#include "support/RecorderFakeDialog.h"
#include "support/RecordingWarningBox.h"

// A capture engine on an emulated card, with time in the test's hands: the
// card follows a stepped clock, so each FrameStep's 2 ms sleep moves the chip
// on by 2 ms, and every microsecond reading by 1 us (the I2C bus busy-waits on
// it), and runs are identical every time. Warnings are collected, the
// compression dialog answers at once, the channel, options and recording
// files live in a temporary folder, and power-off posts are only counted.
// The pictures are held still; tests choose the source's rate walk. New
// recordings are uncompressed unless a test chooses otherwise.
class EngineRig {
public:
    enum class Window { None, Surface };

    // One frame of the card is 40 ms: 20 passes of the frame loop.
    static constexpr int kPassesPerFrame = 20;

    // `emulation` is the emulated card's options (as after --emulate=).
    explicit EngineRig(Window window = Window::None, uint32_t startTick_ms = 1000,
                       std::string_view emulation = {})
        : emulated(emulation) {
        clock.AdvanceMs(static_cast<uint32_t>(startTick_ms - clock.TickCount()));
        emulated.FollowCurrentClock();
        emulated.SetMotion(SignalSynthesizer::Motion::Still);
        card = std::make_unique<CaptureCard>(emulated.Ports(), emulated.Driver());
        card->SetBoardLines(3);
        dialog.choice = Uncompressed();
        if (window == Window::Surface) {
            surface = std::make_unique<VideoSurface>(std::function<void()>(), QPoint(5, 5));
        }
    }

    enum class Tuning { FirstStation, None };

    // Builds the engine and, as the panel tunes the stored channel at start,
    // tunes the first station unless told not to (the tuner powers up
    // untuned). Write the channel file before, if the test needs one.
    // `tap`, when given, gets every frame's raw buffer.
    CaptureEngine& Start(FrameTap* tap = &FrameTap::None(), Tuning tuning = Tuning::FirstStation) {
        engine = std::make_unique<CaptureEngine>(
            card.get(), surface.get(), 5, 5,
            CaptureEngine::Services{ChannelFile(), &dialog, Path("quorvtv.opt"),
                                    [this] { ++powerOffPosts; }, tap, &camera});
        if (tuning == Tuning::FirstStation) {
            card->Tune(static_cast<int>(emulated.StationCarrier_hz(0) / 1'000'000 * 1'000'000));
        }
        return *engine;
    }
    CaptureEngine& Start(Tuning tuning) { return Start(&FrameTap::None(), tuning); }

    void Stop() { engine.reset(); }

    void RunPasses(int passes) {
        for (int pass = 0; pass < passes; ++pass) {
            Pass();
        }
    }
    void RunFrames(int frames) { RunPasses(frames * kPassesPerFrame); }

    // Runs passes up to and including the next one that takes a new frame.
    void RunToNextFrame() {
        while (!Pass()) {
        }
    }

    // Runs one pass; true when it took a new frame.
    bool RunPass() { return Pass(); }

    // The frame record's picture, top row first.
    std::vector<uint8_t> Picture() const {
        const uint8_t* bottomUp = engine->GetFrameRecord()->Pixels();
        std::vector<uint8_t> picture(FrameRecord::kPixelsSize_bytes);
        for (int row = 0; row < FrameRecord::kHeight; ++row) {
            const uint8_t* source = bottomUp + (FrameRecord::kHeight - 1 - row) * kWidth;
            std::copy(source, source + kWidth, picture.begin() + row * kWidth);
        }
        return picture;
    }

    // The frame loop's lock edge in the capture buffer: the first i in
    // 0 ... 255 whose four samples from byte 2,216 + i sum to 200 or more.
    int LockEdge() const {
        const uint8_t* samples = engine->CaptureSamples();
        for (int i = 0; i < 256; ++i) {
            const uint8_t* s = samples + 2216 + i;
            if (s[0] + s[1] + s[2] + s[3] >= 200) {
                return i;
            }
        }
        return 256;
    }

    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }
    std::string ChannelFile() const { return Path("quorvtv.cnl"); }

    FakeMicrosecondClock clock;
    RecordingWarningBox warnings;
    FakeRegisterWindowScope windowScope;
    EmulatedCard emulated;
    QTemporaryDir folder;
    RecorderFakeDialog dialog;
    FakeCameraSource camera;
    int powerOffPosts = 0;
    std::unique_ptr<CaptureCard> card;
    std::unique_ptr<VideoSurface> surface;
    std::unique_ptr<CaptureEngine> engine;

private:
    // One pass of the frame loop; true when it took a new frame: when it saw
    // the even field with a field count not yet taken. The chip's state is
    // read just before the pass, which sees the same.
    bool Pass() {
        const bool even =
            (registerWindow->read32(ChipRegisters::kDstatus) & ChipRegisters::kDstatusField) != 0;
        const uint32_t fields = registerWindow->read32(ChipRegisters::kFcap) & 0xFF;
        engine->FrameStep();
        if (!even || fields == lastFieldCount_) {
            return false;
        }
        lastFieldCount_ = fields;
        return true;
    }

    static AviCompressionOptions Uncompressed() {
        AviCompressionOptions options;
        options.streamType = AviFourCC("vids");
        options.handler = AviFourCC("DIB ");
        options.flags = AviCompressionOptions::kFlagValid;
        return options;
    }

    static constexpr int kWidth = FrameRecord::kWidth;
    uint32_t lastFieldCount_ = 0;
};
