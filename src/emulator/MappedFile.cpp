#include "emulator/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& label, const std::string& reason) {
    throw std::runtime_error(label + ": " + reason);
}

}  // namespace

MappedFile::MappedFile(const std::string& path, const std::string& label) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail(label, std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        Fail(label, "not a regular file");
    }
    if (status.st_size == 0) {
        ::close(fd);
        Fail(label, "empty file");
    }
    void* mapped =
        ::mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    int error = errno;
    ::close(fd);
    if (mapped == MAP_FAILED) {
        Fail(label, std::strerror(error));
    }
    data_ = static_cast<const uint8_t*>(mapped);
    size_ = static_cast<uint64_t>(status.st_size);
}

MappedFile::~MappedFile() {
    ::munmap(const_cast<uint8_t*>(data_), static_cast<size_t>(size_));
}
