#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

// `unit` as a 16-bit little-endian character, `count` times.
std::string Repeated(const char* unit, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += unit[0];
        bytes += '\0';
    }
    return bytes;
}

TEST(ArchiveTest, StringLengthPrefixTakesTheShortestOfThreeForms) {
    const std::pair<size_t, std::string> cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const auto& [length, prefix] : cases) {
        const std::string text(length, 'q');
        ArchiveWriter writer;
        writer.WriteString(text);
        EXPECT_EQ(writer.Bytes(), prefix + text) << "length " << length;

        std::istringstream stream(writer.Bytes());
        ArchiveReader reader(stream);
        std::string read;
        ASSERT_TRUE(reader.ReadString(read, length)) << "length " << length;
        EXPECT_EQ(read, text);
        EXPECT_EQ(reader.BytesLeft(), 0u);
    }
}

TEST(ArchiveTest, IntegersAreLittleEndian) {
    ArchiveWriter writer;
    writer.WriteUint32(0x12345678);
    writer.WriteUint16(0xABCD);
    EXPECT_EQ(writer.Bytes(), Bytes({0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB}));
}

TEST(ArchiveTest, SixteenBitStringsAreReadAsEightBitText) {
    const std::pair<std::string, std::string> cases[] = {
        {Bytes({0xFF, 0xFE, 0xFF, 0x02, 'O', 0, 'K', 0}), "OK"},
        {Bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0xE9, 0, 0x3A, 0x26}), "a\xE9?"},
        {Bytes({0xFF, 0xFE, 0xFF, 0x00}), ""},
        {Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01}) + Repeated("x", 256), std::string(256, 'x')},
    };
    for (const auto& [bytes, expected] : cases) {
        std::istringstream stream(bytes);
        ArchiveReader reader(stream);
        std::string read;
        ASSERT_TRUE(reader.ReadString(read, 1000));
        EXPECT_EQ(read, expected);
    }
}

TEST(ArchiveTest, MalformedOrTruncatedStringsFailWithoutReadingPastTheEnd) {
    const std::pair<const char*, std::string> cases[] = {
        {"nothing", ""},
        {"text cut short", Bytes({0x05, 'a', 'b'})},
        {"16-bit length cut short", Bytes({0xFF, 0x00})},
        {"32-bit length cut short", Bytes({0xFF, 0xFF, 0xFF, 0x01, 0x00})},
        {"32-bit length beyond the end", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})},
        {"above the limit", Bytes({0xFF, 0xE9, 0x03}) + std::string(1001, 'a')},
        {"marker twice", Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x01, 'a', 0})},
        {"16-bit text cut short", Bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'})},
        {"16-bit length above the limit",
         Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xE9, 0x03}) + std::string(2002, 'a')},
    };
    for (const auto& [name, bytes] : cases) {
        std::istringstream stream(bytes);
        ArchiveReader reader(stream);
        std::string read = "unchanged";
        EXPECT_FALSE(reader.ReadString(read, 1000)) << name;
    }
}

}  // namespace
