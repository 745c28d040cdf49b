#pragma once

#include <cstdint>
#include <string>

// A byte-string value with the substring, field, replace and number-formatting
// operations the program shares. Positions and counts are byte positions.
// Its archive form is written and read by ArchiveWriter::WriteString and
// ArchiveReader::ReadString.
//
// Operations that return an ExtString return a new value; ReplaceAll,
// ReplaceFirst and FormatNumber also change the object they are called on.
class ExtString {
public:
    ExtString() = default;
    ExtString(const char* text);  // NOLINT: implicit, like the string it wraps
    ExtString(std::string text);  // NOLINT

    const std::string& Text() const { return text_; }
    bool IsEmpty() const { return text_.empty(); }
    bool operator==(const ExtString& other) const { return text_ == other.text_; }

    // The first `count` bytes (all when count exceeds the length, none when
    // count is negative).
    ExtString Left(int count) const;
    // The last `count` bytes, with the same clamping as Left.
    ExtString Right(int count) const;
    // From position `first` to the end (all for a negative first, none past
    // the end).
    ExtString Mid(int first) const;

    // The n-th field (1-based) when the text is split at runs of delimiter
    // bytes; delimiters at the start are ignored. Empty when n < 1 or there
    // are fewer than n fields. Delimiter rules are those of Tokenize.
    ExtString Field(int n, const char* delimiters) const;

    // Replaces every occurrence of `find`, scanning left to right and never
    // searching inserted text again. An empty `find`, or `find` equal to
    // `replacement`, changes nothing. Returns a copy of the result.
    ExtString ReplaceAll(const char* find, const char* replacement);

    // Replaces the first occurrence of `find` (an empty `find` changes
    // nothing). Returns a copy of the result.
    ExtString ReplaceFirst(const char* find, const char* replacement);

    // Sets the text to `value` in decimal with a comma between groups of
    // three digits ("1,234,567") and returns a copy.
    ExtString FormatNumber(uint64_t value);

private:
    std::string text_;
};
