#include "platform/VfioIovaAllocator.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr uint64_t k4GiB = uint64_t{1} << 32;
constexpr uint64_t kPage = 0x1000;

}  // namespace

TEST(VfioIovaAllocatorTest, PlacesBlocksLowInsideUsableRangesAndBelow4GiB) {
    struct Case {
        const char* what;
        std::vector<VfioIovaRange> usable;
        std::vector<uint64_t> sizes;
        std::vector<std::optional<uint32_t>> expected;
    };
    const std::vector<Case> cases = {
        {"first page stays free", {{0, 0xFFFFFFFFFFFF}}, {1, 0x1800, 1}, {0x1000, 0x2000, 0x4000}},
        {"only above 4 GiB", {{k4GiB, 0xFFFFFFFFFFFF}}, {kPage}, {std::nullopt}},
        {"straddling 4 GiB",
         {{0xFFFFE000, 0x1FFFFFFFF}},
         {0x2000, kPage},
         {0xFFFFE000, std::nullopt}},
        {"a block never spans a reserved gap",
         {{0x1000, 0x2FFF}, {0x10000, 0x1FFFF}},
         {0x3000, 0x1000, 0x2000},
         {0x10000, 0x1000, 0x13000}},
        {"unaligned range start", {{0x1801, 0x5FFF}}, {kPage, 0x4000}, {0x2000, std::nullopt}},
        {"nothing and too much",
         {{0, 0xFFFFFFFFFFFF}},
         {0, k4GiB + 1},
         {std::nullopt, std::nullopt}},
        {"empty range list", {}, {kPage}, {std::nullopt}},
        {"range above 2^64 - page",
         {{0xFFFFFFFFFFFFF000, 0xFFFFFFFFFFFFFFFF}},
         {kPage},
         {std::nullopt}},
    };
    for (const Case& c : cases) {
        VfioIovaAllocator allocator(c.usable, kPage);
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            EXPECT_EQ(allocator.Allocate(c.sizes[i]), c.expected[i]) << c.what << " #" << i;
        }
    }
}

TEST(VfioIovaAllocatorTest, RandomTrafficStaysBelow4GiBAlignedAndApart) {
    // The interrupt window and a device's reserved region cut the low space;
    // the last range runs far past 4 GiB.
    const std::vector<VfioIovaRange> usable = {
        {0x0, 0x7FFFFFF}, {0x9000000, 0xFEDFFFFF}, {0xFEF00000, 0xFFFFFFFFFFFF}};
    VfioIovaAllocator allocator(usable, 0x10000);
    std::mt19937 random(848);
    std::map<uint64_t, uint64_t> held;
    for (int step = 0; step < 4000; ++step) {
        if (!held.empty() && random() % 3 == 0) {
            auto victim = std::next(held.begin(), random() % held.size());
            allocator.Release(static_cast<uint32_t>(victim->first));
            held.erase(victim);
            continue;
        }
        const uint64_t size = 1 + random() % 0x4000000;
        const auto iova = allocator.Allocate(size);
        if (!iova) {
            continue;
        }
        const uint64_t length = (size + 0xFFFF) & ~uint64_t{0xFFFF};
        ASSERT_NE(*iova, 0u);
        ASSERT_EQ(*iova % 0x10000, 0u);
        ASSERT_LE(*iova + length, k4GiB);
        bool inside = false;
        for (const auto& range : usable) {
            inside |= *iova >= range.start && *iova + length - 1 <= range.end;
        }
        ASSERT_TRUE(inside) << std::hex << *iova;
        const auto next = held.lower_bound(*iova);
        ASSERT_TRUE(next == held.end() || next->first >= *iova + length);
        ASSERT_TRUE(next == held.begin() ||
                    std::prev(next)->first + std::prev(next)->second <= *iova);
        held[*iova] = length;
    }
    EXPECT_GT(held.size(), 10u);
}

TEST(VfioIovaAllocatorTest, ReleasedSpaceIsReused) {
    VfioIovaAllocator allocator({{0, 0x4FFF}}, kPage);
    const auto first = allocator.Allocate(0x2000);
    const auto second = allocator.Allocate(0x2000);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(allocator.Allocate(kPage), std::nullopt);
    allocator.Release(*first);
    allocator.Release(0x12345000);
    EXPECT_EQ(allocator.Allocate(0x2000), first);
}
