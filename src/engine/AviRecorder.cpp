#include "engine/AviRecorder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/AviOptionsFile.h"
#include "platform/Clock.h"
#include "platform/CompressionDialog.h"
#include "platform/LockPumping.h"
#include "platform/PerformanceLog.h"
#include "platform/SingleLock.h"

namespace {

int32_t ReadLe32(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

// |height| × row stride of the bitmap header at the start of the record,
// rows padded to whole 32-bit words; 0 for a header that makes no sense.
size_t FrameBytesOf(const uint8_t* frameRecord) {
    const int64_t width = ReadLe32(frameRecord + 4);
    const int64_t height = std::abs(int64_t{ReadLe32(frameRecord + 8)});
    const int64_t bitsPerPixel = frameRecord[14] | frameRecord[15] << 8;
    if (width <= 0 || width > 0x7FFF || height == 0 || height > 0x7FFF || bitsPerPixel == 0) {
        return 0;
    }
    const int64_t stride = (bitsPerPixel * width + 31) / 32 * 4;
    return static_cast<size_t>(height * stride);
}

// Checked before the dialog, so nobody picks a compressor for a file that
// can't be created anyway.
bool FolderIsWritable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

AviRecorder::AviRecorder(CompressionDialog& dialog, std::string optionsPath,
                         std::function<void()> postPowerOff)
    : available_(AviLibrary::IsUsable()),
      dialog_(dialog),
      optionsPath_(std::move(optionsPath)),
      postPowerOff_(std::move(postPowerOff)) {}

AviRecorder::~AviRecorder() {
    Close();
}

// The compression dialog runs without the recorder's lock: its event loop
// dispatches the panel's timer and queued handlers, which take the overlay's
// lock, ranked before this one.
bool AviRecorder::Open(const std::string& path, const uint8_t* frameRecord) {
    Close();
    const size_t frameBytes = FrameBytesOf(frameRecord);
    if (!IsAvailable() || frameBytes == 0 || !FolderIsWritable(path)) {
        return false;
    }
    AviCompressionOptions options = AviOptionsFile::Load(optionsPath_);
    if (!dialog_.Run(options)) {
        return false;
    }
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    Close();
    // Remembered before the compressor is set up, so a compressor that then
    // fails is still the one offered next time. A file that can't be written
    // costs only that memory.
    AviOptionsFile::Save(optionsPath_, options);
    return CreateRecording(path, frameRecord, frameBytes, options);
}

// The compressor is set up before the disk is touched, and the old file goes
// only once it is ready: a compressor that fails leaves the old file alone.
// Removing it (rather than writing through it) replaces a link or a read-only
// file the way a new file would; whatever is at `path` after that was
// created by this call, so a failed header may take it away again.
bool AviRecorder::CreateRecording(const std::string& path, const uint8_t* frameRecord,
                                  size_t frameBytes, const AviCompressionOptions& options) {
    AviLibrary::StreamInfo info;
    info.scale = 1;
    info.rate = kFramesPerSecond;
    info.frameWidth = ReadLe32(frameRecord + 4);
    info.frameHeight = std::abs(ReadLe32(frameRecord + 8));
    info.name = kStreamName;
    if (!library_.CreateStream(info) || !library_.SetFormat(frameRecord, kFormatBytes, options)) {
        library_.Release();
        return false;
    }
    ::unlink(path.c_str());
    if (!library_.OpenFile(path)) {
        library_.Release();
        ::unlink(path.c_str());
        return false;
    }
    frameBytes_ = frameBytes;
    frameIndex_ = 0;
    path_ = path;
    PerformanceLog::RecordingChanged("opened", 0);
    return true;
}

bool AviRecorder::Close() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (!available_) {
        return false;
    }
    if (library_.IsOpen()) {
        PerformanceLog::RecordingChanged("closed", frameIndex_);
    }
    library_.Release();
    recording_ = false;
    writeError_ = false;
    frameIndex_ = 0;
    frameBytes_ = 0;
    path_.clear();
    return true;
}

bool AviRecorder::IsOpen() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return library_.IsOpen();
}

bool AviRecorder::IsAvailable() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return available_;
}

void AviRecorder::SetRecording(bool on) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (on && !library_.IsOpen()) {
        return;
    }
    if (on && !recording_) {
        writingStartTick_ms_ = CurrentClock().TickCount();
        writingStartIndex_ = frameIndex_;
    }
    if (on != recording_) {
        PerformanceLog::RecordingChanged(on ? "writing" : "paused", frameIndex_);
    }
    recording_ = on;
}

bool AviRecorder::IsRecording() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return recording_;
}

std::string AviRecorder::GetPath() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return path_;
}

// Frame k of a writing stretch is due k × 50 ms after the stretch began, so
// the 20-per-second stream keeps pace with the clock whatever rate the frames
// arrive at (as long as it is at least 20 per second).
bool AviRecorder::WriteFrame(const uint8_t* frameRecord) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (!recording_ || !library_.IsOpen()) {
        return false;
    }
    const uint32_t writing_ms = CurrentClock().TickCount() - writingStartTick_ms_;
    const uint64_t due_ms = uint64_t(frameIndex_ - writingStartIndex_) * kFrameInterval_ms;
    if (writing_ms < due_ms) {
        return true;
    }
    if (!library_.WriteFrame(frameIndex_, frameRecord + kFormatBytes, frameBytes_)) {
        writeError_ = true;
        return false;
    }
    writeError_ = false;
    ++frameIndex_;
    return true;
}

int AviRecorder::FramesWritten() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return frameIndex_;
}

bool AviRecorder::HasWriteError() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return writeError_;
}

void AviRecorder::SetPowerOffAfter(bool on) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    powerOffAfter_ = on;
}

bool AviRecorder::GetPowerOffAfter() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return powerOffAfter_;
}

bool AviRecorder::RequestPowerOff() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (postPowerOff_) {
        postPowerOff_();
    }
    return true;
}
