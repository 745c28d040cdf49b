#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

// What tells one version of a file from another: the file it is (device and
// inode), its size and its modification and change times to the nanosecond.
// A file replaced by an atomic save is another inode; one rewritten in place
// has other times.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = 0;
    int64_t modified_ns = 0;
    int64_t changed_ns = 0;

    // The stamp of the file `path` names now (following links); nothing when
    // there is none.
    static std::optional<FileStamp> Of(const std::string& path);

    bool operator==(const FileStamp&) const = default;
};
