#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
// the file's time is the wall clock's: while Writing, slot k of the stretch
// is due k × 50 ms after writing (re)started, and takes the first frame that
// arrives once it is due. Slots that came due while no frame arrived (the
// frame loop stalled) take the last frame that did, repeated, and so do the
// slots that have fully passed when writing stops; frames never go in ahead
// of their slot. The first frame after SetRecording(true) is written at once;
// a pause leaves no gap in the file.
//
// A slot the file system has no room for is lost: it is left out, the file
// stays consistent, standard error gets one line with the cause, and writing
// goes on with the next due slot once there is room again.
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

    // Slots repeated in one go after a stall at most (a minute); a longer
    // stall loses the slots beyond.
    static constexpr int kMaxRepeatedFrames = 60 * kFramesPerSecond;

    // What Close found of the file it closed.
    struct ClosedFile {
        int framesWritten = 0;   // frames in the file
        int framesLost = 0;      // due slots left out for want of room
        int framesRepeated = 0;  // slots filled with a repeated frame
        bool finished = true;    // index and header complete
        std::string problem;     // why not finished
    };

    // Closes any open file, checks that `path` can take a recording, asks
    // for the compressor (starting from the options file), remembers the
    // choice where the dialog keeps it, then replaces the file at `path` with
    // a new recording, Paused. `frameRecord` starts with the kFormatBytes
    // format block. False and Idle, with the reason in OpenProblem, when the
    // path can't be created (checked before the dialog, which is then not
    // shown), another recording holds the file, the compressor refuses its
    // settings, or the file can't be written; OpenProblem is empty when the
    // dialog was cancelled. An existing file is replaced only once the dialog
    // is confirmed and the compressor is ready, and only a file this call
    // created is removed again.
    bool Open(const std::string& path, const uint8_t* frameRecord);

    // Why the last Open failed, in words for a message; empty after a
    // success or a cancelled dialog.
    std::string OpenProblem();

    // Fills the slots that have passed (see above), finishes and closes the
    // file; Idle. False only when AVI writing is unavailable.
    bool Close();

    // What the last Close of an open file found; kept until the next Open
    // that succeeds.
    ClosedFile LastClosedFile();

    bool IsOpen();

    // AVI writing works with the installed libraries; fixed at construction.
    bool IsAvailable();

    // Writing on (Paused → Writing), starting a stretch, or off (Writing →
    // Paused), after filling the slots that have passed. Switching on while
    // Idle is ignored: there is no file to write into.
    void SetRecording(bool on);

    // The next writing stretches end by themselves (Paused) once `frames`
    // slots were written or lost; 0 lifts the limit. Cleared by Open and
    // Close.
    void LimitWriting(int frames);
    bool IsRecording();

    // The open file's path; empty when Idle.
    std::string GetPath();

    // Offers the frame record's picture for the file. True when it was
    // written (with any repeats due before it) or is not yet due; false when
    // not Writing or the file system refused it (HasWriteError then turns
    // true).
    bool WriteFrame(const uint8_t* frameRecord);

    // The last frame write failed and no frame has been written since.
    // Cleared by Open and Close.
    bool HasWriteError();

    // Frames in the open file so far; 0 when Idle.
    int FramesWritten();

    // Due slots of the open file lost so far; 0 when Idle.
    int FramesLost();

    void SetPowerOffAfter(bool on);
    bool GetPowerOffAfter();

    // Posts the power-off request to the main window; true.
    bool RequestPowerOff();

private:
    bool CreateRecording(const std::string& path, const uint8_t* frameRecord, size_t frameBytes,
                         const AviCompressionOptions& options);
    void SetOpenProblem(const std::string& problem);
    int64_t SlotsDue(uint32_t now_ms) const;
    int64_t SlotsPassed(uint32_t now_ms) const;
    void FillSlots(int64_t count);
    bool WriteSlot(const uint8_t* pixels);
    void LoseSlots(int64_t count);
    void ReportOutage();
    void RememberPicture(const uint8_t* pixels);
    void EndStretchAtLimit();

    Mutex recorderLock_{"recorderLock", LockRank::kRecorder};
    const bool available_;
    AviLibrary library_;
    int32_t frameIndex_ = 0;
    bool recording_ = false;
    bool powerOffAfter_ = false;
    bool writeError_ = false;
    bool outage_ = false;
    std::string path_;
    size_t frameBytes_ = 0;
    uint32_t stretchStart_ms_ = 0;
    int64_t slotsTaken_ = 0;
    int64_t slotLimit_ = 0;
    std::vector<uint8_t> lastPicture_;
    int framesLost_ = 0;
    int framesRepeated_ = 0;
    std::string openProblem_;
    ClosedFile lastClosed_;

    CompressionDialog& dialog_;
    const std::string optionsPath_;
    const std::function<void()> postPowerOff_;
};
