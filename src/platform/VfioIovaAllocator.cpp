#include "platform/VfioIovaAllocator.h"

#include <algorithm>

VfioIovaAllocator::VfioIovaAllocator(std::vector<VfioIovaRange> usable, uint64_t pageSize_bytes)
    : usable_(std::move(usable)), pageSize_(pageSize_bytes) {
    std::sort(usable_.begin(), usable_.end(),
              [](const auto& a, const auto& b) { return a.start < b.start; });
}

std::optional<uint32_t> VfioIovaAllocator::Allocate(uint64_t size_bytes) {
    if (size_bytes == 0 || size_bytes > kLimit) {
        return std::nullopt;
    }
    const uint64_t length = AlignUp(size_bytes);
    for (const VfioIovaRange& range : usable_) {
        if (const auto start = FirstFitIn(range, length)) {
            taken_.emplace(*start, length);
            return static_cast<uint32_t>(*start);
        }
    }
    return std::nullopt;
}

void VfioIovaAllocator::Release(uint32_t iova) {
    taken_.erase(iova);
}

std::optional<uint64_t> VfioIovaAllocator::FirstFitIn(const VfioIovaRange& range,
                                                      uint64_t length) const {
    // Clip the range to [first page, 4 GiB) and walk the taken blocks in
    // address order, moving the candidate past each one it collides with.
    if (range.end < range.start || range.start >= kLimit) {
        return std::nullopt;
    }
    const uint64_t last = std::min(range.end, kLimit - 1);
    uint64_t candidate = AlignUp(std::max(range.start, pageSize_));
    for (const auto& [start, taken] : taken_) {
        if (start + taken <= candidate) {
            continue;
        }
        if (start >= candidate + length) {
            break;
        }
        candidate = AlignUp(start + taken);
    }
    if (candidate > last || last - candidate + 1 < length) {
        return std::nullopt;
    }
    return candidate;
}
