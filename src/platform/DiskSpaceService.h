#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Free-space queries, replaceable so tests can simulate a full disk or a
// failing query.
//
// Thread safety: the status overlay asks from the frame thread; implementations
// must allow calls from any thread. Install a service before the threads that
// use it start and remove it after they have stopped.
class DiskSpaceService {
public:
    virtual ~DiskSpaceService() = default;

    // Bytes available to this user on the file system holding `path`, or
    // nothing when the query failed. `path` names a file (existing or not) or
    // a folder.
    virtual std::optional<uint64_t> FreeBytes(const std::string& path) = 0;
};

// The service in force: the file system's unless a test installed another.
DiskSpaceService& CurrentDiskSpaceService();

// Installs `service`; nullptr restores the file system's. The caller keeps
// ownership.
void SetDiskSpaceService(DiskSpaceService* service);
