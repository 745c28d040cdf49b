#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/VfioHandle.h"
#include "platform/VfioIovaAllocator.h"
#include "platform/VfioSystem.h"

// A VFIO container with the type 1 IOMMU and the one IOMMU group of the card.
// It maps host memory for the card's DMA at addresses below 4 GiB, chosen
// inside the ranges the IOMMU reports as usable.
//
// Every step throws VfioFailure whose text names the cause and the fix.
// Closing the group and container (destruction) removes every DMA mapping
// that is still in place. Not thread-safe; the driver serialises calls.
class VfioContainer {
public:
    static constexpr const char* kContainerPath = "/dev/vfio/vfio";
    static constexpr const char* kGroupFolder = "/dev/vfio/";

    // Opens the container and checks the API version and type 1 support.
    explicit VfioContainer(VfioSystem& system);

    // Opens /dev/vfio/<group>, checks that the group is viable, attaches it,
    // selects the type 1 IOMMU and reads the usable address ranges.
    void AttachGroup(int group);

    int GroupFd() const { return group_.Fd(); }

    // The size every DMA mapping is rounded up to (a power of two).
    uint64_t PageSize() const;

    // Maps `size_bytes` (a multiple of PageSize) at `host` for device reads and
    // writes; returns the bus address.
    uint32_t MapDma(void* host, uint64_t size_bytes);

    // False when the kernel refused; the mapping then stays, and with it its
    // bus address.
    bool UnmapDma(uint32_t iova, uint64_t size_bytes);

private:
    void SelectIommu();
    void ReadIommuInfo();
    std::vector<uint8_t> QueryIommuInfo();
    static std::vector<VfioIovaRange> RangesFrom(const std::vector<uint8_t>& info);

    VfioSystem& system_;
    VfioHandle container_;
    VfioHandle group_;
    int groupNumber_ = -1;
    std::optional<VfioIovaAllocator> iovas_;
};
