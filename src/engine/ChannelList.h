#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ArchiveReader;
class ArchiveWriter;

// The channel lines ("<MHz>\t<name>") and their file form.
//
// File form, integers little-endian: the number of lines as 32 bits, then each
// line in the archive string encoding (see ArchiveWriter::WriteString), in
// list order. No line holds a zero byte or more than kMaxLineBytes bytes, and
// the lines hold at most kMaxListBytes in all, whether read or added, so that
// every list written reads back whole.
//
// Thread safety: none; ChannelStore serialises access.
class ChannelList {
public:
    static constexpr size_t kMaxLineBytes = 64 * 1024;
    // What a list holds at most: the bytes of the lines plus one per line.
    // Real lists hold a few kilobytes; the limit keeps a hostile file from
    // costing much memory and time, here and in the sort.
    static constexpr size_t kMaxListBytes = 1024 * 1024;

    int GetSize() const { return static_cast<int>(lines_.size()); }
    // The line at `index`; `index` must be within the list.
    const std::string& GetAt(int index) const { return lines_[static_cast<size_t>(index)]; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Whether `line` may join the list: no zero byte, at most kMaxLineBytes,
    // and room for it within kMaxListBytes.
    bool CanAdd(const std::string& line) const;
    // Appends `line`, for which CanAdd holds.
    void Add(std::string line);
    void RemoveAt(int index);
    // Empties the list and releases its memory.
    void RemoveAll();

    // Sorts by the lines with A-Z lowered, then by their exact bytes, bytes
    // compared as signed values; identical lines collapse into one.
    void Sort();

    // Appends the lines of a channel file. Never trusts the file's count or
    // lengths: reading stops at the first string that runs past the end,
    // exceeds kMaxLineBytes or kMaxListBytes in all, or is malformed, keeping
    // the lines read so far; a line holding a zero byte is skipped. True only
    // when every line the file announces was read and kept.
    bool Read(ArchiveReader& archive);

    // Writes the count and every line.
    void Write(ArchiveWriter& archive) const;

private:
    std::vector<std::string> lines_;
};
