#include "platform/AviFileOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include "platform/FileWriteService.h"
#include "platform/LockFile.h"

namespace {

constexpr int kBufferBytes = 64 * 1024;
// Two copies that start on one path at the same moment each see the other's
// file appear; after this many rounds the later one gives up.
constexpr int kCreateAttempts = 8;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool SameFile(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// A shared lock can be had only while no recording holds the file; with it
// held, no recording can start in it either.
bool HeldByARecording(int fd) {
    return !LockFile::TryLock(fd, LockFile::Mode::kShared) && errno == EWOULDBLOCK;
}

int OpenExisting(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

AviFileOutput::AviFileOutput() = default;

AviFileOutput::~AviFileOutput() {
    Close();
}

// The existing file is looked at without being touched. For a new name, the
// file is created and removed again: nothing else tells exactly whether this
// name can be created there (a read-only file system binds even root).
int AviFileOutput::CheckPath(const std::string& path) {
    if (path.empty()) {
        return ENOENT;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return errno;
        }
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            return errno;
        }
        close(fd);
        unlink(path.c_str());
        return 0;
    }
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    const int fd = OpenExisting(path);
    const bool held = fd >= 0 && HeldByARecording(fd);
    if (fd >= 0) {
        close(fd);
    }
    if (held) {
        return EBUSY;
    }
    return access(FolderOf(path).c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

// The old file is removed only while this call holds a shared lock on it, and
// the new one counts as taken only once it is locked and still the one at
// the path: a copy starting at the same moment then finds this file locked,
// or had its own removed before it began to record.
int AviFileOutput::Create(const std::string& path) {
    Close();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            return EISDIR;
        }
        const int old = OpenExisting(path);
        if (old >= 0 && HeldByARecording(old)) {
            close(old);
            return EBUSY;
        }
        if (old >= 0 ? SameFile(old, path) : errno != ENOENT) {
            unlink(path.c_str());
        }
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const int createError = errno;
        if (old >= 0) {
            close(old);
        }
        if (fd < 0 && createError != EEXIST) {
            return createError;
        }
        if (fd < 0) {
            continue;
        }
        if (!LockFile::TryLock(fd, LockFile::Mode::kExclusive) || !SameFile(fd, path)) {
            close(fd);
            continue;
        }
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
        context_ = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr,
                                               &WriteCallback, &SeekCallback)
                          : nullptr;
        if (context_ == nullptr) {
            av_free(buffer);
            close(fd);
            unlink(path.c_str());
            return ENOMEM;
        }
        context_->seekable = AVIO_SEEKABLE_NORMAL;
        fd_ = fd;
        path_ = path;
        position_ = end_ = reservedEnd_ = 0;
        reservable_ = true;
        error_ = 0;
        return 0;
    }
    return EBUSY;
}

// The reservation keeps the file's size (FALLOC_FL_KEEP_SIZE), so a killed
// recording leaves a file of exactly its data. A step beyond the need saves a
// call per frame; when even the need itself doesn't fit, the disk is full.
bool AviFileOutput::ReserveAhead(uint64_t bytes) {
    const int64_t needed = end_ + static_cast<int64_t>(bytes);
    const int64_t from = std::max(end_, reservedEnd_);
    if (!reservable_ || needed <= from) {
        return true;
    }
    for (const int64_t length : {needed - from + int64_t{kReserveStep}, needed - from}) {
        if (CurrentFileWriteService().Reserve(fd_, from, length) == 0) {
            reservedEnd_ = from + length;
            return true;
        }
        if (errno == EOPNOTSUPP || errno == ENOSYS) {
            reservable_ = false;
            return true;
        }
        error_ = errno;
        if (errno != ENOSPC && errno != EDQUOT) {
            break;
        }
    }
    return false;
}

bool AviFileOutput::FlushPending() {
    while (!pending_.empty()) {
        Held& first = pending_.front();
        const size_t written = WriteAt(first.offset, first.bytes.data(), first.bytes.size());
        first.offset += static_cast<int64_t>(written);
        first.bytes.erase(first.bytes.begin(), first.bytes.begin() + static_cast<long>(written));
        if (!first.bytes.empty()) {
            return false;
        }
        pending_.erase(pending_.begin());
    }
    return true;
}

// Bytes that couldn't be written leave the file shorter than the data, and
// the reservation beyond the data would only hold disk space: the file ends
// where its bytes end.
bool AviFileOutput::Close() {
    if (fd_ < 0) {
        return true;
    }
    if (context_ != nullptr) {
        avio_flush(context_);
    }
    const bool complete = FlushPending();
    struct stat info {};
    if (reservedEnd_ > end_ && fstat(fd_, &info) == 0) {
        const int64_t size = std::min<int64_t>(end_, info.st_size);
        (void)ftruncate(fd_, size);
    }
    close(fd_);
    fd_ = -1;
    pending_.clear();
    path_.clear();
    FreeContext();
    return complete;
}

void AviFileOutput::Discard() {
    if (fd_ < 0) {
        return;
    }
    if (SameFile(fd_, path_)) {
        unlink(path_.c_str());
    }
    pending_.clear();
    close(fd_);
    fd_ = -1;
    path_.clear();
    FreeContext();
}

void AviFileOutput::FreeContext() {
    if (context_ != nullptr) {
        av_freep(&context_->buffer);
        avio_context_free(&context_);
    }
}

int AviFileOutput::WriteCallback(void* opaque, uint8_t* data, int size) {
    return static_cast<AviFileOutput*>(opaque)->Write(data, size);
}

int64_t AviFileOutput::SeekCallback(void* opaque, int64_t offset, int whence) {
    return static_cast<AviFileOutput*>(opaque)->Seek(offset, whence);
}

// Always reports the whole write done: FFmpeg keeps a failed write as an
// error of the file for good. Behind bytes already held back, new ones wait
// too, so the file only ever grows in order.
int AviFileOutput::Write(const uint8_t* data, int size) {
    const auto count = static_cast<size_t>(size);
    const size_t written = FlushPending() ? WriteAt(position_, data, count) : 0;
    if (written < count) {
        Hold(position_ + static_cast<int64_t>(written), data + written, count - written);
    }
    position_ += size;
    end_ = std::max(end_, position_);
    return size;
}

int64_t AviFileOutput::Seek(int64_t offset, int whence) {
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return end_;
        case SEEK_SET:
            position_ = offset;
            break;
        case SEEK_CUR:
            position_ += offset;
            break;
        case SEEK_END:
            position_ = end_ + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    return position_;
}

size_t AviFileOutput::WriteAt(int64_t offset, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t written = CurrentFileWriteService().WriteAt(
            fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error_ = written < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(written);
    }
    return done;
}

void AviFileOutput::Hold(int64_t offset, const uint8_t* data, size_t size) {
    if (!pending_.empty() &&
        pending_.back().offset + static_cast<int64_t>(pending_.back().bytes.size()) == offset) {
        pending_.back().bytes.insert(pending_.back().bytes.end(), data, data + size);
        return;
    }
    pending_.push_back(Held{offset, std::vector<uint8_t>(data, data + size)});
}
