#include "engine/AviRecorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/AviCompressor.h"
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

std::string ReasonFor(int error) {
    switch (error) {
        case EISDIR:
            return "it is a folder";
        case ENOENT:
            return "its folder doesn't exist";
        case ENOTDIR:
            return "a part of its folder is not a folder";
        case EBUSY:
            return "another QuorvTV is recording into it";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "read-only file system";
        case ENAMETOOLONG:
            return "the name is too long";
        case ENOSPC:
        case EDQUOT:
            return "no space left on the disk";
        default:
            return std::strerror(error);
    }
}

// The settings the options hold for this compressor, as the dialog shows
// them, for a message that tells which were refused.
std::string SettingsOf(const AviCompressor& compressor, const AviCompressionOptions& options) {
    std::string settings;
    auto add = [&settings](const std::string& setting) {
        settings += (settings.empty() ? "" : ", ") + setting;
    };
    const bool dataRate = compressor.hasDataRate &&
                          (options.flags & AviCompressionOptions::kFlagDataRate) &&
                          options.bytesPerSecond > 0;
    if (dataRate) {
        const uint32_t rate = options.bytesPerSecond;
        add("data rate " + (rate % 1024 == 0 ? std::to_string(rate / 1024) + " KB/s"
                                             : std::to_string(rate) + " bytes/s"));
    } else if (compressor.hasQuality && options.quality <= AviCompressionOptions::kQualityBest) {
        add("quality " + std::to_string(options.quality / 100));
    }
    if (compressor.hasKeyFrames && (options.flags & AviCompressionOptions::kFlagKeyFrames) &&
        options.keyFrameEvery > 0) {
        add("a key frame every " + std::to_string(options.keyFrameEvery) + " frames");
    }
    return settings.empty() ? std::string() : " (" + settings + ")";
}

// Told so that the user knows what to change: a remembered choice that the
// encoder refuses would otherwise fail the same way at every later run.
std::string CompressorProblem(const AviCompressionOptions& options) {
    const AviCompressor* compressor = AviCompressor::Find(options.handler);
    if (compressor == nullptr) {
        return "the chosen compressor isn't available; choose another in the compression dialog "
               "or with --codec";
    }
    return std::string("the compressor ") + compressor->name + " refuses its settings" +
           SettingsOf(*compressor, options) +
           "; choose again in the compression dialog or with --codec";
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
// lock, ranked before this one. The path is checked before it, so nobody
// picks a compressor for a file that can't be created anyway.
bool AviRecorder::Open(const std::string& path, const uint8_t* frameRecord) {
    Close();
    SetOpenProblem({});
    const size_t frameBytes = FrameBytesOf(frameRecord);
    if (!IsAvailable() || frameBytes == 0) {
        SetOpenProblem("this program can't write AVI files of this picture");
        return false;
    }
    if (const int error = AviLibrary::CheckPath(path)) {
        SetOpenProblem(ReasonFor(error));
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
    if (dialog_.KeepsChoice()) {
        AviOptionsFile::Save(optionsPath_, options);
    }
    return CreateRecording(path, frameRecord, frameBytes, options);
}

// The compressor is set up before the disk is touched, and the old file goes
// only once it is ready: a compressor that fails leaves the old file alone.
// Replacing it (rather than writing through it) replaces a link or a
// read-only file the way a new file would; a file another recording holds
// is refused instead.
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
        openProblem_ = CompressorProblem(options);
        return false;
    }
    if (!library_.OpenFile(path)) {
        openProblem_ = ReasonFor(library_.OpenError());
        library_.Release();
        return false;
    }
    frameBytes_ = frameBytes;
    frameIndex_ = 0;
    framesLost_ = framesRepeated_ = 0;
    lastClosed_ = ClosedFile();
    path_ = path;
    PerformanceLog::RecordingChanged("opened", 0);
    return true;
}

std::string AviRecorder::OpenProblem() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return openProblem_;
}

void AviRecorder::SetOpenProblem(const std::string& problem) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    openProblem_ = problem;
}

// A stop while writing is a pause first, so the slots that passed since the
// last frame are in the file.
bool AviRecorder::Close() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (!available_) {
        return false;
    }
    if (library_.IsOpen()) {
        if (recording_) {
            FillSlots(SlotsPassed(CurrentClock().TickCount()));
        }
        PerformanceLog::RecordingChanged("closed", frameIndex_);
        const bool finished = library_.Release();
        lastClosed_ = ClosedFile{frameIndex_, framesLost_, framesRepeated_, finished,
                                 finished ? std::string() : ReasonFor(library_.WriteError())};
    }
    library_.Release();
    recording_ = false;
    writeError_ = outage_ = false;
    frameIndex_ = 0;
    frameBytes_ = 0;
    slotLimit_ = 0;
    framesLost_ = framesRepeated_ = 0;
    lastPicture_.clear();
    path_.clear();
    return true;
}

AviRecorder::ClosedFile AviRecorder::LastClosedFile() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return lastClosed_;
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
        stretchStart_ms_ = CurrentClock().TickCount();
        slotsTaken_ = 0;
        lastPicture_.clear();
    }
    if (!on && recording_) {
        FillSlots(SlotsPassed(CurrentClock().TickCount()));
    }
    if (on != recording_) {
        PerformanceLog::RecordingChanged(on ? "writing" : "paused", frameIndex_);
    }
    recording_ = on;
}

void AviRecorder::LimitWriting(int frames) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    slotLimit_ = std::max(frames, 0);
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

// Slot k of the stretch is due k × 50 ms after it began. A frame arriving
// finds every slot due since the last written one: all but the newest came
// due while no frame arrived, and the last frame that did is what the
// picture was then.
bool AviRecorder::WriteFrame(const uint8_t* frameRecord) {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    if (!recording_ || !library_.IsOpen()) {
        return false;
    }
    const uint8_t* pixels = frameRecord + kFormatBytes;
    const int64_t due = SlotsDue(CurrentClock().TickCount());
    if (due == 0) {
        RememberPicture(pixels);
        return true;
    }
    if (lastPicture_.empty()) {
        RememberPicture(pixels);
    }
    FillSlots(due - 1);
    const bool written = WriteSlot(pixels);
    RememberPicture(pixels);
    EndStretchAtLimit();
    return written;
}

int64_t AviRecorder::SlotsDue(uint32_t now_ms) const {
    const int64_t due = int64_t{(now_ms - stretchStart_ms_) / kFrameInterval_ms} + 1 - slotsTaken_;
    return std::max<int64_t>(slotLimit_ > 0 ? std::min(due, slotLimit_ - slotsTaken_) : due, 0);
}

// The slots whose 50 ms have fully passed.
int64_t AviRecorder::SlotsPassed(uint32_t now_ms) const {
    const int64_t passed = int64_t{(now_ms - stretchStart_ms_) / kFrameInterval_ms} - slotsTaken_;
    return std::max<int64_t>(slotLimit_ > 0 ? std::min(passed, slotLimit_ - slotsTaken_) : passed,
                             0);
}

// Without any picture of this stretch there is nothing to repeat; a stall
// longer than kMaxRepeatedFrames keeps its first minute and loses the rest
// rather than write hours of one picture at once.
void AviRecorder::FillSlots(int64_t count) {
    if (count <= 0 || lastPicture_.empty()) {
        return;
    }
    if (count > kMaxRepeatedFrames) {
        std::fprintf(stderr, "quorvtv: no picture for %lld s; %lld frames of '%s' are left out\n",
                     static_cast<long long>(count / kFramesPerSecond),
                     static_cast<long long>(count - kMaxRepeatedFrames), path_.c_str());
        LoseSlots(count - kMaxRepeatedFrames);
        count = kMaxRepeatedFrames;
    }
    for (int64_t slot = 0; slot < count; ++slot) {
        if (WriteSlot(lastPicture_.data())) {
            ++framesRepeated_;
        }
    }
}

// A frame the file system took only partly is in the file's stream (its
// bytes go out before any later one): it takes its index, but counts as a
// write error until a frame is written whole.
bool AviRecorder::WriteSlot(const uint8_t* pixels) {
    ++slotsTaken_;
    if (!library_.WriteFrame(frameIndex_, pixels, frameBytes_)) {
        ++framesLost_;
        ReportOutage();
        return false;
    }
    ++frameIndex_;
    if (library_.IsHoldingBack()) {
        ReportOutage();
        return false;
    }
    writeError_ = outage_ = false;
    return true;
}

void AviRecorder::LoseSlots(int64_t count) {
    slotsTaken_ += count;
    framesLost_ += static_cast<int>(count);
}

// One line for each stretch of failed writes, not one per frame.
void AviRecorder::ReportOutage() {
    writeError_ = true;
    if (outage_) {
        return;
    }
    outage_ = true;
    const int error = library_.WriteError();
    std::fprintf(stderr, "quorvtv: can't write to '%s': %s; frames are left out until it can\n",
                 path_.c_str(), error != 0 ? std::strerror(error) : "the compressor failed");
}

void AviRecorder::RememberPicture(const uint8_t* pixels) {
    lastPicture_.assign(pixels, pixels + frameBytes_);
}

void AviRecorder::EndStretchAtLimit() {
    if (slotLimit_ > 0 && slotsTaken_ >= slotLimit_) {
        recording_ = false;
        PerformanceLog::RecordingChanged("paused", frameIndex_);
    }
}

int AviRecorder::FramesWritten() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return frameIndex_;
}

int AviRecorder::FramesLost() {
    SingleLock lock(recorderLock_);
    LockPumping(lock);
    return framesLost_;
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
