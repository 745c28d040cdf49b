#pragma once

#include <cstdint>
#include <string>

class ArchiveReader;
class ArchiveWriter;

// A byte-string value with the substring, field, replace and number-formatting
// operations the program shares. Positions and counts are byte positions.
//
// Operations that return an ExtString return a new value; ReplaceAll,
// ReplaceFirst and FormatNumber also change the object they are called on.
class ExtString {
public:
    ExtString() = default;
    ExtString(const char* text);  // NOLINT: implicit, like the string it wraps
    ExtString(std::string text);  // NOLINT
    virtual ~ExtString() = default;

    ExtString(const ExtString&) = default;
    ExtString& operator=(const ExtString&) = default;
    ExtString(ExtString&&) = default;
    ExtString& operator=(ExtString&&) = default;

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

    // Writes the text in the archive string encoding (length prefix, bytes).
    void Serialize(ArchiveWriter& archive) const;
    // Reads a text in the archive string encoding, of at most `max_bytes`
    // bytes. False (text unchanged) when the archive ends early, is corrupt
    // or holds a longer text.
    bool Serialize(ArchiveReader& archive, size_t max_bytes);

private:
    std::string text_;
};
