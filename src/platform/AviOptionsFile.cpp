#include "platform/AviOptionsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/AtomicFile.h"
#include "platform/AviCompressor.h"

namespace {

using Bytes = std::array<uint8_t, AviCompressionOptions::kFileBytes>;

// Exactly 44 bytes of a regular file: its size is looked at before anything
// is read, so a huge file, a device or a pipe put there costs nothing (the
// open doesn't wait for a pipe's writer).
std::optional<Bytes> ReadRecord(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    Bytes bytes;
    struct stat info {};
    const bool complete =
        fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size == static_cast<off_t>(bytes.size()) &&
        pread(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return complete ? std::optional<Bytes>(bytes) : std::nullopt;
}

}  // namespace

AviCompressionOptions AviOptionsFile::Load(const std::string& path) {
    const std::optional<Bytes> bytes = ReadRecord(path);
    if (!bytes) {
        return {};
    }
    AviCompressionOptions options = AviCompressionOptions::FromBytes(*bytes);
    options.flags |= AviCompressionOptions::kFlagValid;
    options.formatPointer = options.formatSize = 0;
    options.parametersPointer = options.parametersSize = 0;
    if (AviCompressor::Find(options.handler) == nullptr) {
        options.handler = AviCompressor::Uncompressed().fourCC;
    }
    return options;
}

bool AviOptionsFile::Save(const std::string& path, const AviCompressionOptions& options) {
    const Bytes bytes = options.ToBytes();
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
