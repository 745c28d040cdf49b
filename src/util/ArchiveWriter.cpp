#include "util/ArchiveWriter.h"

void ArchiveWriter::WriteUint8(uint8_t value) {
    bytes_ += static_cast<char>(value);
}

void ArchiveWriter::WriteUint16(uint16_t value) {
    WriteUint8(static_cast<uint8_t>(value));
    WriteUint8(static_cast<uint8_t>(value >> 8));
}

void ArchiveWriter::WriteUint32(uint32_t value) {
    WriteUint16(static_cast<uint16_t>(value));
    WriteUint16(static_cast<uint16_t>(value >> 16));
}

void ArchiveWriter::WriteBytes(std::string_view bytes) {
    bytes_.append(bytes);
}

void ArchiveWriter::WriteString(std::string_view text) {
    const size_t length = text.size();
    if (length < 0xFF) {
        WriteUint8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteUint8(0xFF);
        WriteUint16(static_cast<uint16_t>(length));
    } else {
        WriteUint8(0xFF);
        WriteUint16(0xFFFF);
        WriteUint32(static_cast<uint32_t>(length));
    }
    WriteBytes(text);
}
