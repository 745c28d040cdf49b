#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// An inclusive range of I/O virtual addresses, as the IOMMU reports it.
struct VfioIovaRange {
    uint64_t start = 0;
    uint64_t end = 0;
};

// Chooses bus addresses for DMA buffers. The capture chip's DMA addresses are
// 32-bit, so every address handed out, and every byte of the block behind it,
// lies below 4 GiB; blocks lie wholly inside one usable range (whatever the
// IOMMU reserves, such as the interrupt window, is simply not in the list),
// start on a page boundary and never overlap. The first page is never used,
// because a bus address of 0 means "no buffer" to the program.
class VfioIovaAllocator {
public:
    static constexpr uint64_t kLimit = uint64_t{1} << 32;

    // `pageSize_bytes` must be a power of two.
    VfioIovaAllocator(std::vector<VfioIovaRange> usable, uint64_t pageSize_bytes);

    // The lowest free address for `size_bytes` (rounded up to whole pages), or
    // nullopt when no usable gap below 4 GiB is large enough.
    std::optional<uint32_t> Allocate(uint64_t size_bytes);

    // Gives back the block that starts at `iova`; unknown addresses are ignored.
    void Release(uint32_t iova);

    uint64_t PageSize() const { return pageSize_; }

private:
    std::optional<uint64_t> FirstFitIn(const VfioIovaRange& range, uint64_t length) const;
    uint64_t AlignUp(uint64_t value) const { return (value + pageSize_ - 1) & ~(pageSize_ - 1); }

    std::vector<VfioIovaRange> usable_;
    uint64_t pageSize_;
    std::map<uint64_t, uint64_t> taken_;  // start -> length
};
