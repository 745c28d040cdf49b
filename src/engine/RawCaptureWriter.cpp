#include "engine/RawCaptureWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "engine/RawSampleLayout.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kFieldCounterMask = 0xFF;

std::FILE* OpenFor(const std::filesystem::path& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "can't create " + path.string() + ": " + std::strerror(errno);
    }
    return file;
}

// Frames between two taken ones that the loop never saw: the counter moves by
// two fields a frame (modulo 256).
uint32_t MissedBetween(uint32_t last, uint32_t now) {
    uint32_t fields = (now - last) & kFieldCounterMask;
    return fields > 2 ? fields / 2 - 1 : 0;
}

}  // namespace

std::unique_ptr<RawCaptureWriter> RawCaptureWriter::Open(const std::string& folder,
                                                         std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder)) {
        error = "can't create the folder " + folder +
                (code ? ": " + code.message() : std::string(": a file is in the way"));
        return nullptr;
    }
    const fs::path samplesPath = fs::path(folder) / RawCaptureFormat::kSamplesFile;
    const fs::path sidecarPath = fs::path(folder) / RawCaptureFormat::kSidecarFile;
    if (fs::exists(samplesPath) || fs::exists(sidecarPath)) {
        error = folder + " already holds a raw capture; choose another folder";
        return nullptr;
    }
    std::FILE* samples = OpenFor(samplesPath, error);
    std::FILE* sidecar = samples ? OpenFor(sidecarPath, error) : nullptr;
    if (sidecar == nullptr) {
        if (samples != nullptr) {
            std::fclose(samples);
        }
        return nullptr;
    }
    return std::unique_ptr<RawCaptureWriter>(new RawCaptureWriter(folder, samples, sidecar));
}

RawCaptureWriter::RawCaptureWriter(std::string folder, std::FILE* samples, std::FILE* sidecar)
    : folder_(std::move(folder)), samplesFile_(samples), sidecarFile_(sidecar), slots_(kSlots) {
    for (size_t i = 0; i < kSlots; ++i) {
        slots_[i].samples.resize(RawSampleLayout::kCaptureBufferSize_bytes);
        free_.push_back(i);
    }
    thread_ = std::thread([this] { Run(); });
}

RawCaptureWriter::~RawCaptureWriter() {
    std::string ignored;
    Close(ignored);
}

// The copy runs outside the lock; the lock only hands the slot over.
void RawCaptureWriter::OnFrame(const uint8_t* samples, uint32_t fieldCount, CaptureCard& card) {
    RawCaptureFormat::Frame frame;
    frame.fieldCount = fieldCount & kFieldCounterMask;
    frame.time_us = CurrentClock().Microseconds();
    size_t slot = 0;
    {
        std::lock_guard lock(lock_);
        if (closing_) {
            return;
        }
        frame.missed = seenFrame_ ? MissedBetween(lastFieldCount_, frame.fieldCount) : 0;
        totals_.missed += frame.missed;
        seenFrame_ = true;
        lastFieldCount_ = frame.fieldCount;
        if (free_.empty()) {
            ++pendingDropped_;
            ++totals_.dropped;
            return;
        }
        slot = free_.back();
        free_.pop_back();
        frame.dropped = std::exchange(pendingDropped_, 0);
    }
    frame.pll_hz = card.GetPllFrequency();
    frame.dstatus = card.ReadStatus();
    slots_[slot].frame = frame;
    std::memcpy(slots_[slot].samples.data(), samples, slots_[slot].samples.size());
    {
        std::lock_guard lock(lock_);
        queued_.push_back(slot);
    }
    ready_.notify_one();
}

void RawCaptureWriter::Run() {
    std::unique_lock lock(lock_);
    for (;;) {
        ready_.wait(lock, [this] { return closing_ || !queued_.empty(); });
        if (queued_.empty()) {
            return;
        }
        size_t slot = queued_.front();
        queued_.pop_front();
        lock.unlock();
        Write(slots_[slot]);
        lock.lock();
        free_.push_back(slot);
    }
}

// Each frame is flushed with its line, so a capture cut short keeps what it has.
void RawCaptureWriter::Write(Slot& slot) {
    RawCaptureFormat::Frame& frame = slot.frame;
    {
        std::lock_guard lock(lock_);
        if (!error_.empty()) {
            return;
        }
        frame.index = totals_.frames;
    }
    if (!headerWritten_) {
        WriteHeader(static_cast<uint64_t>(frame.pll_hz));
    }
    bool written = std::fwrite(slot.samples.data(), 1, slot.samples.size(), samplesFile_) ==
                       slot.samples.size() &&
                   std::fflush(samplesFile_) == 0 &&
                   std::fputs(RawCaptureFormat::FrameLine(frame).c_str(), sidecarFile_) >= 0 &&
                   std::fflush(sidecarFile_) == 0;
    if (!written) {
        Fail(std::string("writing ") + RawCaptureFormat::kSamplesFile +
             " failed: " + std::strerror(errno));
        return;
    }
    std::lock_guard lock(lock_);
    ++totals_.frames;
}

// The header's rate is the PLL read back at the first frame (0 when there was
// none).
void RawCaptureWriter::WriteHeader(uint64_t sampleRate_hz) {
    RawCaptureFormat::Header header{sampleRate_hz, RawSampleLayout::kLinePeriod_samples,
                                    RawSampleLayout::kCaptureBufferSize_bytes, QUORV_VERSION};
    std::fputs(RawCaptureFormat::HeaderText(header).c_str(), sidecarFile_);
    headerWritten_ = true;
}

void RawCaptureWriter::Fail(const std::string& what) {
    std::lock_guard lock(lock_);
    if (error_.empty()) {
        error_ = folder_ + ": " + what;
    }
}

bool RawCaptureWriter::Close(std::string& error) {
    {
        std::lock_guard lock(lock_);
        if (closed_) {
            error = error_;
            return error_.empty();
        }
        closing_ = true;
    }
    ready_.notify_one();
    thread_.join();
    RawCaptureFormat::Totals totals = GetTotals();
    if (!headerWritten_) {
        WriteHeader(0);
    }
    if (error_.empty() &&
        (std::fputs(RawCaptureFormat::EndLine(totals).c_str(), sidecarFile_) < 0 ||
         std::fflush(sidecarFile_) != 0)) {
        Fail(std::string("writing ") + RawCaptureFormat::kSidecarFile + " failed");
    }
    bool closedWell = std::fclose(samplesFile_) == 0;
    closedWell = std::fclose(sidecarFile_) == 0 && closedWell;
    if (!closedWell) {
        Fail("closing the capture files failed");
    }
    std::lock_guard lock(lock_);
    closed_ = true;
    error = error_;
    return error_.empty();
}

RawCaptureFormat::Totals RawCaptureWriter::GetTotals() {
    std::lock_guard lock(lock_);
    return totals_;
}
