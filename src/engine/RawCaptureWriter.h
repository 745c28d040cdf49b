#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/FrameTap.h"
#include "util/RawCaptureFormat.h"

// Writes a raw capture folder (RawCaptureFormat.h) from the frames the frame
// loop hands it. The frame thread only copies the buffer into one of kSlots
// buffers allocated at the start; a thread of the writer's own writes them to
// disk, so a slow disk never holds up the frame loop. A frame that finds
// every slot full is counted as dropped in the sidecar, never lost silently;
// frames the frame loop never saw (a jump of the field counter) are counted
// as missed.
//
// Threads: OnFrame on the frame thread; Open, Close and GetTotals on one other
// thread. The slot lock is innermost and held only to hand a slot over.
class RawCaptureWriter : public FrameTap {
public:
    static constexpr size_t kSlots = 8;

    // Creates `folder` when it is missing and opens the two files in it. Null,
    // with a one-line `error`, when the folder already holds a capture or the
    // files can't be created.
    static std::unique_ptr<RawCaptureWriter> Open(const std::string& folder, std::string& error);

    ~RawCaptureWriter() override;

    void OnFrame(const uint8_t* samples, uint32_t fieldCount, CaptureCard& card) override;

    // Takes no more frames, writes out those queued and the end line, and
    // closes the files. False, with a one-line `error`, when a write failed.
    bool Close(std::string& error);

    // Frames written so far, and those missed and dropped.
    RawCaptureFormat::Totals GetTotals();

    std::string SamplesPath() const { return folder_ + "/" + RawCaptureFormat::kSamplesFile; }

private:
    struct Slot {
        std::vector<uint8_t> samples;
        RawCaptureFormat::Frame frame;
    };

    RawCaptureWriter(std::string folder, std::FILE* samples, std::FILE* sidecar);
    void Run();
    void Write(Slot& slot);
    void WriteHeader(uint64_t sampleRate_hz);
    void Fail(const std::string& what);

    std::string folder_;
    std::FILE* samplesFile_;
    std::FILE* sidecarFile_;
    std::vector<Slot> slots_;
    bool headerWritten_ = false;  // the writer thread's, then Close's

    std::mutex lock_;
    std::condition_variable ready_;
    std::vector<size_t> free_;
    std::deque<size_t> queued_;
    bool closing_ = false;
    bool closed_ = false;
    bool seenFrame_ = false;
    uint32_t lastFieldCount_ = 0;
    uint32_t pendingDropped_ = 0;
    RawCaptureFormat::Totals totals_;
    std::string error_;
    std::thread thread_;
};
