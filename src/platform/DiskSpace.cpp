#include "platform/DiskSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <atomic>
#include <limits>

#include "platform/DiskSpaceService.h"

namespace {

// A recording path names a file that usually doesn't exist yet; its folder is
// what must have room.
std::string FolderOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return path;
    }
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

class FileSystemDiskSpace final : public DiskSpaceService {
public:
    std::optional<uint64_t> FreeBytes(const std::string& path) override {
        return QueryFreeDiskBytes(path);
    }
};

FileSystemDiskSpace fileSystemDiskSpace;
std::atomic<DiskSpaceService*> installedService{nullptr};

}  // namespace

DiskSpaceService& CurrentDiskSpaceService() {
    DiskSpaceService* service = installedService.load(std::memory_order_acquire);
    return service ? *service : fileSystemDiskSpace;
}

void SetDiskSpaceService(DiskSpaceService* service) {
    installedService.store(service, std::memory_order_release);
}

std::optional<uint64_t> QueryFreeDiskBytes(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    struct statvfs info {};
    if (statvfs(FolderOf(path).c_str(), &info) != 0) {
        return std::nullopt;
    }
    uint64_t bytes = 0;
    if (__builtin_mul_overflow(uint64_t{info.f_bavail}, uint64_t{info.f_frsize}, &bytes)) {
        return std::numeric_limits<uint64_t>::max();
    }
    return bytes;
}

uint64_t FreeDiskBytes(const std::string& path) {
    if (path.empty()) {
        return kUnknownFreeDiskBytes;
    }
    return CurrentDiskSpaceService().FreeBytes(path).value_or(kUnknownFreeDiskBytes);
}
