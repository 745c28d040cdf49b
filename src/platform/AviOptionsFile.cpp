#include "platform/AviOptionsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/AviCompressor.h"

namespace {

using Bytes = std::array<uint8_t, AviCompressionOptions::kFileBytes>;

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// A temporary file in the same folder, synced before the rename, so a crash
// leaves the old file or the new one on disk, never a torn one.
bool ReplaceFileAtomically(const std::string& path, const Bytes& bytes) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    // mkstemp creates the file private; the options are no secret.
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

AviCompressionOptions AviOptionsFile::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    const std::vector<char> content{std::istreambuf_iterator<char>(file), {}};
    if (content.size() != AviCompressionOptions::kFileBytes) {
        return {};
    }
    Bytes bytes;
    std::copy(content.begin(), content.end(), bytes.begin());
    AviCompressionOptions options = AviCompressionOptions::FromBytes(bytes);
    options.flags |= AviCompressionOptions::kFlagValid;
    options.formatPointer = options.formatSize = 0;
    options.parametersPointer = options.parametersSize = 0;
    if (AviCompressor::Find(options.handler) == nullptr) {
        options.handler = AviCompressor::Uncompressed().fourCC;
    }
    return options;
}

bool AviOptionsFile::Save(const std::string& path, const AviCompressionOptions& options) {
    return ReplaceFileAtomically(path, options.ToBytes());
}
