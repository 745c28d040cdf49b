#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/AviLibrary.h"
#include "platform/Mutex.h"

class CompressionDialog;

// Records the live picture into an AVI file: one grey video stream of 20
// frames per second, the compressor picked in the compression dialog and
// remembered in the options file.
//
// States: Idle (no file), Paused (file open, not writing), Writing. Open
// leads from any state to Paused, or to Idle when it fails; SetRecording
// switches between Paused and Writing; Close returns to Idle.
//
// Frames arrive at the card's rate (25 per second) and are written so that
// the file plays at real speed: while Writing, a frame is written when the
// writing time since writing (re)started reaches the next index × 50 ms, at
// most one per arriving frame. The first frame after SetRecording(true) is
// written at once; a pause leaves no gap in the file.
//
// Thread safety: every operation takes `recorderLock_` through LockPumping;
// the frame thread calls WriteFrame, the user-interface thread the rest (the
// overlay may call any of them from the frame thread). Lock order: the
// engine's lock and the overlay's come before this one.
class AviRecorder {
public:
    // The format block at the start of a frame record: bitmap information
    // header and grey palette.
    static constexpr size_t kFormatBytes = AviLibrary::kFormatBytes;
    static constexpr int kFramesPerSecond = 20;
    static constexpr uint32_t kFrameInterval_ms = 1000 / kFramesPerSecond;
    static constexpr const char* kStreamName = "QuorvTV";

    // `dialog` asks for the compressor on every Open and must outlive the
    // recorder. `optionsPath` is the compression-options file. `postPowerOff`
    // posts the power-off request to the main window; it must be callable
    // from any thread and must not wait for the user-interface thread.
    AviRecorder(CompressionDialog& dialog, std::string optionsPath,
                std::function<void()> postPowerOff);
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;
    virtual ~AviRecorder();

    // Closes any open file, asks for the compressor (starting from the options
    // file), remembers the choice, then replaces the file at `path` with a new
    // recording, Paused. `frameRecord` starts with the kFormatBytes format
    // block. False, Idle and silent when the folder can't be written, the
    // dialog is cancelled, the compressor fails or the file can't be written;
    // an existing file is replaced only once the dialog is confirmed and the
    // compressor is ready, and only a file this call created is removed again.
    bool Open(const std::string& path, const uint8_t* frameRecord);

    // Finishes and closes the file; Idle. False only when AVI writing is
    // unavailable.
    bool Close();

    bool IsOpen();

    // AVI writing works with the installed libraries; fixed at construction.
    bool IsAvailable();

    // Writing on (Paused → Writing) or off (Writing → Paused). Switching on
    // while Idle is ignored: there is no file to write into.
    void SetRecording(bool on);
    bool IsRecording();

    // The open file's path; empty when Idle.
    std::string GetPath();

    // Offers the frame record's picture for the file. True when it was
    // written or not yet due; false when not Writing or the write failed
    // (the frame index then stays, and HasWriteError turns true).
    bool WriteFrame(const uint8_t* frameRecord);

    // The last frame write failed and no frame has been written since.
    // Cleared by Open and Close.
    bool HasWriteError();

    // Frames written into the open file so far; 0 when Idle.
    int FramesWritten();

    void SetPowerOffAfter(bool on);
    bool GetPowerOffAfter();

    // Posts the power-off request to the main window; true.
    bool RequestPowerOff();

private:
    bool CreateRecording(const std::string& path, const uint8_t* frameRecord, size_t frameBytes,
                         const AviCompressionOptions& options);

    Mutex recorderLock_{"recorderLock", LockRank::kRecorder};
    const bool available_;
    AviLibrary library_;
    int32_t frameIndex_ = 0;
    bool recording_ = false;
    bool powerOffAfter_ = false;
    bool writeError_ = false;
    std::string path_;
    size_t frameBytes_ = 0;
    uint32_t writingStartTick_ms_ = 0;
    int32_t writingStartIndex_ = 0;

    CompressionDialog& dialog_;
    const std::string optionsPath_;
    const std::function<void()> postPowerOff_;
};
