#include "util/ArchiveReader.h"

namespace {

constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kLongMarker = 0xFFFF;

uint64_t BytesToEnd(std::istream& stream) {
    const std::streampos here = stream.tellg();
    if (here < 0 || !stream.seekg(0, std::ios::end)) {
        stream.clear();
        return 0;
    }
    const std::streampos end = stream.tellg();
    stream.seekg(here);
    if (end < here || !stream) {
        stream.clear();
        return 0;
    }
    return static_cast<uint64_t>(end - here);
}

}  // namespace

ArchiveReader::ArchiveReader(std::istream& stream)
    : stream_(stream), bytesLeft_(BytesToEnd(stream)) {}

bool ArchiveReader::ReadUint8(uint8_t& value) {
    const int byte = bytesLeft_ > 0 ? stream_.get() : std::char_traits<char>::eof();
    if (byte == std::char_traits<char>::eof()) {
        bytesLeft_ = 0;
        return false;
    }
    --bytesLeft_;
    value = static_cast<uint8_t>(byte);
    return true;
}

bool ArchiveReader::ReadUint16(uint16_t& value) {
    uint8_t low = 0;
    uint8_t high = 0;
    if (!ReadUint8(low) || !ReadUint8(high)) {
        return false;
    }
    value = static_cast<uint16_t>(low | (high << 8));
    return true;
}

bool ArchiveReader::ReadUint32(uint32_t& value) {
    uint16_t low = 0;
    uint16_t high = 0;
    if (!ReadUint16(low) || !ReadUint16(high)) {
        return false;
    }
    value = low | (uint32_t{high} << 16);
    return true;
}

bool ArchiveReader::ReadBytes(size_t count, std::string& bytes) {
    if (count > bytesLeft_) {
        bytesLeft_ = 0;
        return false;
    }
    bytes.resize(count);
    if (count > 0 && !stream_.read(bytes.data(), static_cast<std::streamsize>(count))) {
        bytesLeft_ = 0;
        return false;
    }
    bytesLeft_ -= count;
    return true;
}

bool ArchiveReader::ReadString(std::string& text, size_t max_bytes) {
    uint32_t length = 0;
    CharSize charSize = CharSize::OneByte;
    if (!ReadLength(length, charSize) || length > max_bytes) {
        return false;
    }
    if (charSize == CharSize::TwoBytes) {
        return ReadWideString(length, text);
    }
    return ReadBytes(length, text);
}

// The prefix forms: a byte below 0xFF; 0xFF and 16 bits below 0xFFFE; 0xFF,
// 0xFFFF and 32 bits. 0xFF 0xFFFE marks 16-bit characters and is followed by
// one of the three forms; a second marker is not a length and is refused.
bool ArchiveReader::ReadLength(uint32_t& length, CharSize& charSize) {
    charSize = CharSize::OneByte;
    for (;;) {
        uint8_t shortLength = 0;
        if (!ReadUint8(shortLength)) {
            return false;
        }
        if (shortLength < 0xFF) {
            length = shortLength;
            return true;
        }
        uint16_t mediumLength = 0;
        if (!ReadUint16(mediumLength)) {
            return false;
        }
        if (mediumLength == kLongMarker) {
            return ReadUint32(length);
        }
        if (mediumLength != kWideMarker) {
            length = mediumLength;
            return true;
        }
        if (charSize == CharSize::TwoBytes) {
            return false;
        }
        charSize = CharSize::TwoBytes;
    }
}

bool ArchiveReader::ReadWideString(uint32_t length, std::string& text) {
    std::string wide;
    if (!ReadBytes(uint64_t{length} * 2, wide)) {
        return false;
    }
    text.resize(length);
    for (uint32_t i = 0; i < length; ++i) {
        const unsigned character =
            static_cast<uint8_t>(wide[2 * i]) | (static_cast<uint8_t>(wide[2 * i + 1]) << 8);
        text[i] = character <= 0xFF ? static_cast<char>(character) : '?';
    }
    return true;
}
