#include "platform/AviCompressionOptions.h"

namespace {

// The words in file order; ToBytes and FromBytes walk the same list.
constexpr uint32_t AviCompressionOptions::*kWords[] = {
    &AviCompressionOptions::streamType,        &AviCompressionOptions::handler,
    &AviCompressionOptions::keyFrameEvery,     &AviCompressionOptions::quality,
    &AviCompressionOptions::bytesPerSecond,    &AviCompressionOptions::flags,
    &AviCompressionOptions::formatPointer,     &AviCompressionOptions::formatSize,
    &AviCompressionOptions::parametersPointer, &AviCompressionOptions::parametersSize,
    &AviCompressionOptions::interleaveEvery,
};
static_assert(sizeof kWords / sizeof kWords[0] * 4 == AviCompressionOptions::kFileBytes);

}  // namespace

std::array<uint8_t, AviCompressionOptions::kFileBytes> AviCompressionOptions::ToBytes() const {
    std::array<uint8_t, kFileBytes> bytes{};
    size_t at = 0;
    for (auto word : kWords) {
        const uint32_t value = this->*word;
        for (int shift = 0; shift < 32; shift += 8) {
            bytes[at++] = static_cast<uint8_t>(value >> shift);
        }
    }
    return bytes;
}

AviCompressionOptions AviCompressionOptions::FromBytes(
    const std::array<uint8_t, kFileBytes>& bytes) {
    AviCompressionOptions options;
    size_t at = 0;
    for (auto word : kWords) {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= uint32_t{bytes[at++]} << shift;
        }
        options.*word = value;
    }
    return options;
}
