#include "platform/AviOptionsFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/AviCompressor.h"

namespace {

using Bytes = std::array<uint8_t, AviCompressionOptions::kFileBytes>;

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
    const Bytes bytes = options.ToBytes();
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
