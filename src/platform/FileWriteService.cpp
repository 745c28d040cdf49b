#include "platform/FileWriteService.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace {

class SystemFileWrites final : public FileWriteService {
public:
    ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset) override {
        return ::pwrite(fd, data, size, offset);
    }
    int Reserve(int fd, off_t offset, off_t length) override {
        return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, length);
    }
};

SystemFileWrites systemFileWrites;
std::atomic<FileWriteService*> installedService{nullptr};

}  // namespace

FileWriteService& CurrentFileWriteService() {
    FileWriteService* service = installedService.load(std::memory_order_acquire);
    return service ? *service : systemFileWrites;
}

void SetFileWriteService(FileWriteService* service) {
    installedService.store(service, std::memory_order_release);
}
