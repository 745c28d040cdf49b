#pragma once

#include <cstdint>
#include <istream>
#include <string>

// Reads little-endian integers and length-prefixed strings from a stream,
// checking every length against the bytes the stream still holds, so a
// corrupt or hostile file can neither make it allocate more than the caller
// allows nor read past the end.
//
// Every read returns false when the stream cannot deliver what was asked for;
// after a failure the reader's position means nothing and the caller stops.
class ArchiveReader {
public:
    // `stream` must outlive the reader; the bytes from its current position
    // to its end are the archive.
    explicit ArchiveReader(std::istream& stream);

    bool ReadUint8(uint8_t& value);
    bool ReadUint16(uint16_t& value);
    bool ReadUint32(uint32_t& value);

    // Reads exactly `count` bytes into `bytes`; false, without allocating,
    // when fewer are left.
    bool ReadBytes(size_t count, std::string& bytes);

    // Reads a string in the archive string encoding (see
    // ArchiveWriter::WriteString). Also accepts a string of 16-bit characters,
    // marked by 0xFF and 16 bits 0xFFFE before its own length prefix; each
    // character is turned into one byte (characters above 0xFF become '?').
    // False when the string is longer than `max_bytes` bytes (characters for
    // 16-bit strings), runs past the end, or its prefix is malformed.
    bool ReadString(std::string& text, size_t max_bytes);

    uint64_t BytesLeft() const { return bytesLeft_; }

private:
    enum class CharSize { OneByte, TwoBytes };

    bool ReadLength(uint32_t& length, CharSize& charSize);
    bool ReadWideString(uint32_t length, std::string& text);

    std::istream& stream_;
    uint64_t bytesLeft_ = 0;
};
