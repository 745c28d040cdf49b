#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kNameAttempts = 100;
// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinks = 40;
constexpr const char kTemporaryInfix[] = ".tmp.";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The process id in a temporary name "<target>.tmp.<pid>.<n>", or 0 when
// `name` is no temporary file of `target`.
pid_t TemporaryOwner(const std::string& name, const std::string& target) {
    const std::string prefix = target + kTemporaryInfix;
    if (name.compare(0, prefix.size(), prefix) != 0) {
        return 0;
    }
    const char* digits = name.c_str() + prefix.size();
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '.' || pid <= 0 || end[1] == '\0') {
        return 0;
    }
    for (const char* rest = end + 1; *rest != '\0'; ++rest) {
        if (*rest < '0' || *rest > '9') {
            return 0;
        }
    }
    return static_cast<pid_t>(pid);
}

// A save killed between creating its temporary file and renaming it leaves
// the file behind. One whose process has gone can be no save in progress; one
// of a live process (this one included) may be.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string name = NameOf(target);
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(listing)) {
        const pid_t owner = TemporaryOwner(entry->d_name, name);
        if (owner != 0 && owner != getpid() && kill(owner, 0) != 0 && errno == ESRCH) {
            stale.push_back(entry->d_name);
        }
    }
    closedir(listing);
    for (const std::string& entry : stale) {
        unlink((folder + entry).c_str());
    }
}

// The temporary file: created exclusively under a name no other writer in
// this process or another one uses, removed again unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
            path_ = target + kTemporaryInfix + std::to_string(getpid()) + "." +
                    std::to_string(counter.fetch_add(1));
            fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) {
                break;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { Discard(); }

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

    // Keeps errno across the clean-up of a failed save.
    void Discard() {
        const int error = errno;
        Close();
        if (!renamed_ && !path_.empty()) {
            unlink(path_.c_str());
        }
        path_.clear();
        errno = error;
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
    const int fd = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveFileLinks(path);
    RemoveStaleTemporaries(target);
    TemporaryFile temporary(target);
    if (!temporary.IsOpen()) {
        return false;
    }
    KeepModeOf(target, temporary.Descriptor());
    if (!WriteAll(temporary.Descriptor(), bytes) || fsync(temporary.Descriptor()) != 0 ||
        !temporary.Close() || !temporary.RenameOver(target)) {
        temporary.Discard();
        return false;
    }
    SyncFolderOf(target);
    return true;
}

std::string ResolveFileLinks(const std::string& path) {
    std::string resolved = path;
    for (int link = 0; link < kMaxLinks; ++link) {
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = readlink(resolved.c_str(), target.data(), PATH_MAX);
        if (length < 0) {
            return resolved;
        }
        const std::string named(target.data(), static_cast<size_t>(length));
        resolved = !named.empty() && named[0] == '/' ? named : FolderOf(resolved) + named;
    }
    return resolved;
}
