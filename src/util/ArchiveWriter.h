#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Builds the bytes of an archive file in memory: little-endian integers and
// length-prefixed strings. The caller writes Bytes() to the file in one piece
// (see WriteFileAtomically).
class ArchiveWriter {
public:
    void WriteUint8(uint8_t value);
    void WriteUint16(uint16_t value);
    void WriteUint32(uint32_t value);
    void WriteBytes(std::string_view bytes);

    // The archive string encoding: length < 255 as one byte; up to 65,533 as
    // the byte 0xFF and 16 bits; longer as 0xFF, 16 bits 0xFFFF and 32 bits;
    // then the bytes, no terminator. Texts of 4 GiB or more are not
    // representable; the caller keeps its strings far below that.
    void WriteString(std::string_view text);

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};
