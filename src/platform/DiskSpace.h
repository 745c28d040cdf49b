#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What FreeDiskBytes reports when it can't tell: an empty path or a failed query.
inline constexpr uint32_t kUnknownFreeDiskBytes = 0x100000;

// Asks the file system for the bytes available to this user in the folder of
// `path`: `path` itself when it is an existing folder, otherwise the folder
// part of it (the current folder when it has none). Nothing for an empty path
// or when the folder can't be queried (missing, no permission). Saturates at
// the largest 64-bit value.
std::optional<uint64_t> QueryFreeDiskBytes(const std::string& path);

// Free bytes for `path` through the current DiskSpaceService, the whole
// 64-bit figure; kUnknownFreeDiskBytes for an empty path or a failed query.
// Callers that must not act on a failed query ask CurrentDiskSpaceService()
// instead.
uint64_t FreeDiskBytes(const std::string& path);
