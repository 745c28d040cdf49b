#include "engine/ChannelList.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/ArchiveReader.h"
#include "util/ArchiveWriter.h"

namespace {

using Lines = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string Count(uint32_t count) {
    ArchiveWriter writer;
    writer.WriteUint32(count);
    return writer.Bytes();
}

std::string Line(const std::string& text) {
    ArchiveWriter writer;
    writer.WriteString(text);
    return writer.Bytes();
}

std::string Repeated(const std::string& bytes, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += bytes;
    }
    return repeated;
}

struct ReadOutcome {
    Lines lines;
    bool complete;
};

ReadOutcome Read(const std::string& file) {
    std::istringstream stream(file);
    ArchiveReader reader(stream);
    ChannelList list;
    const bool complete = list.Read(reader);
    return {list.Lines(), complete};
}

std::string Written(const Lines& lines) {
    ChannelList list;
    for (const std::string& line : lines) {
        list.Add(line);
    }
    ArchiveWriter writer;
    list.Write(writer);
    return writer.Bytes();
}

TEST(ChannelListTest, FileLayoutIsTheCountThenLinesInTheShortestLengthForm) {
    EXPECT_EQ(Written({}), Bytes({0, 0, 0, 0}));
    const std::pair<size_t, std::string> forms[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {65536, Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const auto& [length, prefix] : forms) {
        const std::string line(length, 'q');
        const std::string file = Written({"471\tNews", line});
        EXPECT_EQ(file, Bytes({2, 0, 0, 0, 8}) + "471\tNews" + prefix + line) << length;
        const ReadOutcome outcome = Read(file);
        EXPECT_TRUE(outcome.complete) << length;
        EXPECT_EQ(outcome.lines, (Lines{"471\tNews", line})) << length;
    }
}

TEST(ChannelListTest, SixteenBitLinesAreReadAsEightBitText) {
    const std::string file = Count(2) +
                             Bytes({0xFF, 0xFE, 0xFF, 5, '4', 0, '8', 0, '\t', 0, 0xC4, 0, 1, 4}) +
                             Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01}) + std::string(512, 'x');
    const ReadOutcome outcome = Read(file);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.lines, (Lines{"48\t\xC4?", std::string(256, '?')}));
}

struct HostileCase {
    const char* name;
    std::string file;
    Lines expected;
};

// Every one of these must end with the lines read so far, no crash, no hang
// and no allocation sized by the file's numbers.
TEST(ChannelListTest, CorruptFilesYieldTheLinesReadSoFar) {
    const std::string a = Line("1\ta");
    const std::string b = Line("2\tb");
    const HostileCase cases[] = {
        {"empty file", "", {}},
        {"count cut short", Bytes({1, 0, 0}), {}},
        {"count above the lines", Count(3) + a + b, {"1\ta", "2\tb"}},
        {"huge count", Count(0xFFFFFFFF) + a, {"1\ta"}},
        {"text cut short", Count(2) + a + Bytes({200}) + "2\tb", {"1\ta"}},
        {"16-bit length cut short", Count(2) + a + Bytes({0xFF, 0x01}), {"1\ta"}},
        {"32-bit length beyond the file",
         Count(2) + a + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
         {"1\ta"}},
        {"line above 64 KiB", Count(3) + a + Line(std::string(65537, 'x')) + b, {"1\ta"}},
        {"more than 1 MiB of lines", Count(17) + Repeated(Line(std::string(65536, 'x')), 16) + b,
         Lines(15, std::string(65536, 'x'))},
        {"zero byte inside a line",
         Count(3) + a + Line(std::string("9\tx\0y", 5)) + b,
         {"1\ta", "2\tb"}},
        {"16-bit line cut short", Count(2) + a + Bytes({0xFF, 0xFE, 0xFF, 4, '1', 0}), {"1\ta"}},
        {"16-bit marker twice",
         Count(2) + a + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 1, '1', 0}),
         {"1\ta"}},
    };
    for (const HostileCase& c : cases) {
        const ReadOutcome outcome = Read(c.file);
        EXPECT_FALSE(outcome.complete) << c.name;
        EXPECT_EQ(outcome.lines, c.expected) << c.name;
    }
}

// The writer keeps to the reader's limits, so every list written reads back
// whole: 16 lines of 65,535 bytes (plus one each) fill the list exactly.
TEST(ChannelListTest, WhatCanBeAddedReadsBackWhole) {
    const std::pair<std::string, bool> fresh[] = {
        {std::string(ChannelList::kMaxLineBytes, 'x'), true},
        {std::string(ChannelList::kMaxLineBytes + 1, 'x'), false},
        {std::string("9\tx\0y", 5), false},
        {"", true},
    };
    for (const auto& [line, addable] : fresh) {
        EXPECT_EQ(ChannelList().CanAdd(line), addable) << line.size();
    }
    ChannelList list;
    const std::string line(ChannelList::kMaxLineBytes - 1, 'x');
    while (list.GetSize() < 100 && list.CanAdd(line)) {
        list.Add(line);
    }
    EXPECT_EQ(list.GetSize(), 16);
    EXPECT_FALSE(list.CanAdd(""));

    ArchiveWriter writer;
    list.Write(writer);
    const ReadOutcome outcome = Read(writer.Bytes());
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.lines, list.Lines());
}

TEST(ChannelListTest, SortOrdersByLoweredTextThenExactSignedBytes) {
    const std::pair<Lines, Lines> cases[] = {
        {{"503\tC", "48\tB", "175\tA"}, {"175\tA", "48\tB", "503\tC"}},
        {{"1\tbox", "1\tBox"}, {"1\tBox", "1\tbox"}},
        {{"1\tBox", "1\tbox", "1\tBOX"}, {"1\tBOX", "1\tBox", "1\tbox"}},
        {{"1\tb", "1\tA"}, {"1\tA", "1\tb"}},
        {{"1\ta", "1\t\xE9"}, {"1\t\xE9", "1\ta"}},
        {{"9\tx", "9\tx", "9\ty", "9\tx"}, {"9\tx", "9\ty"}},
        {{"", "0\t?"}, {"", "0\t?"}},
        {{}, {}},
    };
    for (const auto& [lines, expected] : cases) {
        ChannelList list;
        for (const std::string& line : lines) {
            list.Add(line);
        }
        list.Sort();
        EXPECT_EQ(list.Lines(), expected);
    }
}

}  // namespace
