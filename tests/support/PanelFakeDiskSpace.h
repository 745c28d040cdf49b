#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/DiskSpaceService.h"

// Reports `free_bytes` for every path, so no test depends on the real disk;
// installed for its lifetime. The status overlay asks from the frame thread.
class PanelFakeDiskSpace : public DiskSpaceService {
public:
    static constexpr uint64_t kPlenty = uint64_t{100} << 30;

    PanelFakeDiskSpace() { SetDiskSpaceService(this); }
    PanelFakeDiskSpace(const PanelFakeDiskSpace&) = delete;
    PanelFakeDiskSpace& operator=(const PanelFakeDiskSpace&) = delete;
    ~PanelFakeDiskSpace() override { SetDiskSpaceService(nullptr); }

    std::optional<uint64_t> FreeBytes(const std::string&) override { return free_bytes.load(); }

    std::atomic<uint64_t> free_bytes{kPlenty};
};
