#include "platform/VfioKernel.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

int VfioKernel::Open(const std::string& path, int flags) {
    return ::open(path.c_str(), flags | O_CLOEXEC);
}

int VfioKernel::Close(int fd) {
    return ::close(fd);
}

int VfioKernel::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

int VfioKernel::IoctlValue(int fd, unsigned long request, unsigned long value) {
    return ::ioctl(fd, request, value);
}

ssize_t VfioKernel::Pread(int fd, void* data, size_t size, off_t offset) {
    return ::pread(fd, data, size, offset);
}

ssize_t VfioKernel::Pwrite(int fd, const void* data, size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}

void* VfioKernel::Mmap(size_t length, int protection, int flags, int fd, off_t offset) {
    return ::mmap(nullptr, length, protection, flags, fd, offset);
}

int VfioKernel::Munmap(void* address, size_t length) {
    return ::munmap(address, length);
}

int VfioKernel::Mlock(const void* address, size_t length) {
    return ::mlock(address, length);
}

int VfioKernel::Munlock(const void* address, size_t length) {
    return ::munlock(address, length);
}
