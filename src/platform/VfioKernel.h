#pragma once

#include "platform/VfioSystem.h"

// VfioSystem on the running kernel: each operation is the system call itself.
class VfioKernel : public VfioSystem {
public:
    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int IoctlValue(int fd, unsigned long request, unsigned long value) override;
    ssize_t Pread(int fd, void* data, size_t size, off_t offset) override;
    ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset) override;
    void* Mmap(size_t length, int protection, int flags, int fd, off_t offset) override;
    int Munmap(void* address, size_t length) override;
    int Mlock(const void* address, size_t length) override;
    int Munlock(const void* address, size_t length) override;
};
