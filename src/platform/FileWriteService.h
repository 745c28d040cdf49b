#pragma once

#include <sys/types.h>

#include <cstddef>

// The system calls a recording writes its file with, replaceable so tests can
// simulate a disk that fills up and empties again.
//
// Thread safety: the frame thread writes; implementations must allow calls
// from any thread. Install a service before the threads that use it start
// and remove it after they have stopped.
class FileWriteService {
public:
    virtual ~FileWriteService() = default;

    // pwrite(2): the bytes written (possibly fewer than `size`), or -1 with
    // errno set.
    virtual ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset) = 0;

    // fallocate(2) with FALLOC_FL_KEEP_SIZE: disk space for `length` bytes from
    // `offset` on, the file's size unchanged. 0, or -1 with errno set
    // (EOPNOTSUPP where the file system can't reserve).
    virtual int Reserve(int fd, off_t offset, off_t length) = 0;
};

// The service in force: the system's unless a test installed another.
FileWriteService& CurrentFileWriteService();

// Installs `service`; nullptr restores the system's. The caller keeps
// ownership.
void SetFileWriteService(FileWriteService* service);
