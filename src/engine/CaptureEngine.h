#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/AviRecorder.h"
#include "engine/ChannelStore.h"
#include "engine/FrameConverter.h"
#include "engine/FrameRecord.h"
#include "engine/FrameTap.h"
#include "platform/Mutex.h"
#include "platform/PhysMemDriver.h"

class CaptureCard;
class CompressionDialog;
class RecordingSchedule;
class StatusOverlay;
class VideoSurface;

// Where the video rectangle lies in the window, in client pixels.
struct VideoRect {
    int left, top, right, bottom;
};

// The one object that turns the capture card into a picture: it programs the
// chip for raw 8-bit sampling with continuous DMA into one buffer, converts
// each new frame in software, paints it, hands it to the recorder, and keeps
// the channel list. It is the recorder and the channel store at once.
//
// Threads: FrameStep runs on the frame thread; every other operation on the
// user-interface thread. Every operation takes the engine lock first (through
// LockPumping); inside it the frame thread takes the card interfaces', the
// overlay's and the recorder's locks.
class CaptureEngine : public AviRecorder, public ChannelStore {
public:
    struct Services {
        std::string channelFile;                 // the channel list's file
        CompressionDialog* dialog;               // asks for the compressor of a new file
        std::string optionsFile;                 // the compression-options file
        std::function<void()> postPowerOff;      // posts the power-off message (any thread)
        FrameTap* frameTap = &FrameTap::None();  // gets each frame's raw buffer; not owned
    };

    // Builds the buffers, programs the chip and starts capture. `surface` may
    // be null (no window): frames are then converted and recorded only.
    CaptureEngine(CaptureCard* card, VideoSurface* surface, int originX, int originY,
                  const Services& services);
    ~CaptureEngine() override;

    FrameRecord* GetFrameRecord();
    CaptureCard* GetCard();
    StatusOverlay* GetOverlay();
    RecordingSchedule* GetSchedule();
    Mutex& EngineLock() { return engineLock_; }

    // One pass of the capture loop (frame thread only): under the engine lock,
    // shows the frame when the chip has begun a new one, then sleeps 2 ms with
    // the lock released.
    void FrameStep();

    int StepHAdjust(int steps);
    int SetHAdjust(int frequency_hz);
    int GetHAdjust();
    int StepVAdjust(int delta);
    int SetVAdjust(int lines);
    int GetVAdjust();
    bool TuneToChannel(int index);

    // True when the channel file was read completely at construction, or there
    // was none. At destruction the list is saved when it was changed here
    // (merged with what other copies saved meanwhile), and never over a
    // damaged file, which is left alone rather than overwritten with the part
    // that could be read.
    bool ChannelFileLoadedCompletely() const { return channelFileComplete_; }

    VideoRect GetVideoRect() const { return videoRect_; }

    // The kCaptureBufferBytes raw samples the chip keeps writing, for looking
    // at the lock edge from outside. Read-only and unlocked: the chip writes
    // on meanwhile, as it does while FrameStep reads.
    const uint8_t* CaptureSamples() const { return captureBuffer_.linear; }

    static constexpr uint32_t kCaptureBufferBytes = 691'200;
    static constexpr uint32_t kRiscProgramBytes = 7'168;
    static constexpr int kConfiguredPllFrequency = 35'438'450;

private:
    void ProgramChip();
    void BuildCaptureProgram();
    void PollFrame();
    void RunHorizontalLock(const uint8_t* samples);
    void ShowFrame(const uint8_t* samples, FrameConverter::Polarity polarity);

    int hAdjust_ = 0;
    Mutex engineLock_{"engine", LockRank::kEngine};
    CaptureCard* card_;
    std::unique_ptr<StatusOverlay> overlay_;
    std::unique_ptr<RecordingSchedule> schedule_;
    VideoSurface* surface_;
    PhysBuffer captureBuffer_;
    PhysBuffer riscProgram_;
    bool invertTest_ = true;
    bool autoHLock_ = true;
    std::unique_ptr<FrameRecord> frameRecord_;
    VideoRect videoRect_;
    int correctedFrequency_ = 0;
    uint32_t currentFieldCount_ = 0;
    uint32_t lastFieldCount_ = 0;
    bool channelFileComplete_ = false;
    FrameTap& frameTap_;
};
