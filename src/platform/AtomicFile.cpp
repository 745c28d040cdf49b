#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

constexpr int kNameAttempts = 100;

// The temporary file: created exclusively under a name no other writer in
// this process or another one uses, removed again unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
            path_ = target + ".tmp." + std::to_string(getpid()) + "." +
                    std::to_string(counter.fetch_add(1));
            fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) {
                break;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        Close();
        if (!renamed_ && !path_.empty()) {
            unlink(path_.c_str());
        }
    }

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || close(fd) == 0;
    }

    bool RenameOver(const std::string& target) {
        renamed_ = rename(path_.c_str(), target.c_str()) == 0;
        return renamed_;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool renamed_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void KeepModeOf(const std::string& target, int fd) {
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
}

// Makes the rename itself durable. A failure here does not undo the save,
// which has already replaced the file.
void SyncFolderOf(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TemporaryFile temporary(path);
    if (!temporary.IsOpen()) {
        return false;
    }
    KeepModeOf(path, temporary.Descriptor());
    if (!WriteAll(temporary.Descriptor(), bytes) || fsync(temporary.Descriptor()) != 0 ||
        !temporary.Close() || !temporary.RenameOver(path)) {
        return false;
    }
    SyncFolderOf(path);
    return true;
}
