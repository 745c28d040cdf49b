#include "platform/LockFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Clock.h"

namespace {

constexpr uint32_t kRetry_ms = 10;

}  // namespace

bool LockFile::TryLock(int fd, Mode mode) {
    struct flock lock {};
    lock.l_type = mode == Mode::kShared ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
        return true;
    }
    if (errno == EACCES || errno == EAGAIN) {
        errno = EWOULDBLOCK;
    }
    return false;
}

LockFile::LockFile(const std::string& path, uint32_t wait_ms) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_ = errno;
        return;
    }
    uint32_t waited_ms = 0;
    while (!TryLock(fd, Mode::kExclusive)) {
        if (errno != EWOULDBLOCK || waited_ms >= wait_ms) {
            error_ = errno;
            ::close(fd);
            return;
        }
        CurrentClock().SleepMs(kRetry_ms);
        waited_ms += kRetry_ms;
    }
    fd_ = fd;
}

LockFile::~LockFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}
