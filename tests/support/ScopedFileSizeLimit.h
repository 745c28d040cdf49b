#pragma once

#include <sys/resource.h>

#include <csignal>

// Lets files of this process grow to `limit_bytes` only, as a full disk would,
// for the lifetime of the scope. A write past the limit fails (EFBIG) instead
// of raising SIGXFSZ.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t limit_bytes)
        : savedHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit tight = saved_;
        tight.rlim_cur = limit_bytes;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }

private:
    rlimit saved_{};
    sighandler_t savedHandler_;
};
