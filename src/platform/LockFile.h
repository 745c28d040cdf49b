#pragma once

#include <cstdint>
#include <string>

// An advisory lock that serialises a piece of work between copies of the
// program: an exclusive open-file-description lock (F_OFD_SETLK) on a lock
// file, held for the object's life. Such a lock belongs to the open file, not
// to the process, so it excludes every other holder, in another process or in
// this one, and it goes with the descriptor, also when the process dies.
class LockFile {
public:
    enum class Mode { kShared, kExclusive };

    // Opens (creating when missing) the lock file `path` and waits up to
    // `wait_ms` on the current Clock for the exclusive lock.
    LockFile(const std::string& path, uint32_t wait_ms);
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile();

    bool IsHeld() const { return fd_ >= 0; }

    // Why the lock is not held: EWOULDBLOCK while another holder kept it for
    // the whole wait, otherwise the errno of opening the lock file.
    int Error() const { return error_; }

    // Tries once to lock the whole file open at `fd` (read access for kShared,
    // write access for kExclusive). False with errno EWOULDBLOCK when another
    // open of the file holds a conflicting lock.
    static bool TryLock(int fd, Mode mode);

private:
    int fd_ = -1;
    int error_ = 0;
};
