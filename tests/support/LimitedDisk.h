#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>

#include "platform/FileWriteService.h"

// A disk with `freeBytes` left, installed for its lifetime in front of the
// recording's writes: reserving and writing past what a file already holds
// take from it, and when it runs out the call fails with ENOSPC (a write
// part-way, as the kernel does). The bytes themselves go to the real file.
// `reservations` off makes Reserve fail with EOPNOTSUPP, as on a file system
// that can't reserve.
class LimitedDisk : public FileWriteService {
public:
    static constexpr int64_t kPlenty = std::numeric_limits<int64_t>::max() / 2;

    LimitedDisk() { SetFileWriteService(this); }
    ~LimitedDisk() override { SetFileWriteService(nullptr); }

    ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset) override {
        std::lock_guard<std::mutex> guard(mutex_);
        int64_t& held = HeldBy(fd);
        const int64_t end = offset + static_cast<int64_t>(size);
        const int64_t growth = std::max<int64_t>(end - held, 0);
        size_t allowed = size;
        if (growth > freeBytes) {
            allowed = static_cast<size_t>(std::max<int64_t>(held + freeBytes - offset, 0));
            if (allowed == 0) {
                errno = ENOSPC;
                return -1;
            }
        }
        const ssize_t written = ::pwrite(fd, data, allowed, offset);
        if (written > 0) {
            const int64_t newEnd = offset + written;
            freeBytes -= std::max<int64_t>(newEnd - held, 0);
            held = std::max(held, newEnd);
        }
        return written;
    }

    int Reserve(int fd, off_t offset, off_t length) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!reservations) {
            errno = EOPNOTSUPP;
            return -1;
        }
        int64_t& held = HeldBy(fd);
        const int64_t growth = std::max<int64_t>(offset + length - held, 0);
        if (growth > freeBytes) {
            errno = ENOSPC;
            return -1;
        }
        freeBytes -= growth;
        held = std::max<int64_t>(held, offset + length);
        return 0;
    }

    std::atomic<int64_t> freeBytes{kPlenty};
    std::atomic<bool> reservations{true};

private:
    // What each file (by inode) already holds on this disk.
    int64_t& HeldBy(int fd) {
        struct stat info {};
        fstat(fd, &info);
        return held_[info.st_ino];
    }

    std::mutex mutex_;
    std::map<ino_t, int64_t> held_;
};
