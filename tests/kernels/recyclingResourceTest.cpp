#include "kernels/recyclingResource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

std::byte* take(zt::RecyclingResource& r, std::size_t bytes) {
    return static_cast<std::byte*>(r.allocate(bytes, 64));
}

TEST(RecyclingResource, ReleasedBlocksServeLaterRequestsAndMergeWithTheirNeighbours) {
    zt::RecyclingResource r;
    // Four consecutive blocks of one reserved region, released in an order
    // that merges them from both sides: a request as large as all four then
    // takes the same memory, and no region is added.
    r.reserve(4 * 3 * kMiB);
    std::byte* blocks[4];
    for (std::byte*& b : blocks) {
        b = take(r, 3 * kMiB);
        std::memset(b, 0x5a, 3 * kMiB);
    }
    for (int k = 1; k < 4; ++k) EXPECT_EQ(blocks[k], blocks[k - 1] + 3 * kMiB);
    EXPECT_EQ(r.regionBytes(), 4 * 3 * kMiB);
    for (int k : {1, 3, 0, 2}) r.deallocate(blocks[k], 3 * kMiB, 64);
    std::byte* whole = take(r, 12 * kMiB);
    EXPECT_EQ(whole, blocks[0]);
    EXPECT_EQ(r.regionBytes(), 4 * 3 * kMiB);

    // The rest of a block larger than the request stays free for the next.
    r.deallocate(whole, 12 * kMiB, 64);
    std::byte* first = take(r, 5 * kMiB);
    std::byte* second = take(r, 7 * kMiB);
    EXPECT_EQ(first, blocks[0]);
    EXPECT_EQ(second, first + 5 * kMiB);
    EXPECT_EQ(r.regionBytes(), 12 * kMiB);
    // Nothing free is large enough: a new region.
    std::byte* third = take(r, 2 * kMiB);
    EXPECT_TRUE(third < blocks[0] || third >= blocks[0] + 12 * kMiB);
    EXPECT_EQ(r.regionBytes(), 14 * kMiB);
    r.deallocate(first, 5 * kMiB, 64);
    r.deallocate(second, 7 * kMiB, 64);
    r.deallocate(third, 2 * kMiB, 64);
}

TEST(RecyclingResource, TakesTheSmallestFreeBlockThatFitsAndLeavesSmallRequestsToTheHeap) {
    zt::RecyclingResource r(kMiB);
    std::byte* big = take(r, 8 * kMiB);
    std::byte* gap = take(r, kMiB);  // keeps the two free blocks apart
    std::byte* small = take(r, 2 * kMiB);
    r.deallocate(big, 8 * kMiB, 64);
    r.deallocate(small, 2 * kMiB, 64);
    EXPECT_EQ(take(r, 2 * kMiB - 100), small);  // sizes round up to whole pages
    EXPECT_EQ(take(r, 3 * kMiB), big);
    const std::size_t before = r.regionBytes();
    void* tiny = r.allocate(1000, 16);
    EXPECT_EQ(r.regionBytes(), before);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(tiny) % 16, 0u);
    r.deallocate(tiny, 1000, 16);
    r.deallocate(gap, kMiB, 64);
    r.deallocate(small, 2 * kMiB - 100, 64);
    r.deallocate(big, 3 * kMiB, 64);
}

}  // namespace
