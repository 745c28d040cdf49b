#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// The system calls the VFIO driver makes, behind one interface so that tests
// run against a fake and never touch /dev/vfio. Each operation returns what the
// system call of the same name returns and sets errno the same way on failure.
class VfioSystem {
public:
    virtual ~VfioSystem() = default;

    virtual int Open(const std::string& path, int flags) = 0;
    virtual int Close(int fd) = 0;

    // ioctl with a pointer to a request structure (or a name, for
    // VFIO_GROUP_GET_DEVICE_FD), and ioctl with a plain integer argument.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual int IoctlValue(int fd, unsigned long request, unsigned long value) = 0;

    virtual ssize_t Pread(int fd, void* data, size_t size, off_t offset) = 0;
    virtual ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset) = 0;

    // MAP_FAILED on failure, as mmap.
    virtual void* Mmap(size_t length, int protection, int flags, int fd, off_t offset) = 0;
    virtual int Munmap(void* address, size_t length) = 0;
    virtual int Mlock(const void* address, size_t length) = 0;
    virtual int Munlock(const void* address, size_t length) = 0;
};
