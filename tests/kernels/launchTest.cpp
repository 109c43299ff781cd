// The two launch forms: grid shapes, and that a launch visits every element
// exactly once, writes nothing past its range and hands the whole index space
// of its grid to the kernel body.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kernels/backend.h"
#include "kernels/launchShape.h"
#include "tests/kernels/probe/frameProbes.h"

namespace {

struct ShapeCase {
    std::size_t n;
    unsigned int gx;
    unsigned int gy;
};

TEST(LaunchShape, OneDimensionalHasOneBlockMoreThanFullBlocks) {
    const ShapeCase cases[] = {{0, 1, 1},  {1, 1, 1},  {63, 1, 1},
                               {64, 2, 1}, {65, 2, 1}, {1000000, 15626, 1}};
    for (const ShapeCase& c : cases) {
        const std::optional<zt::LaunchShape> shape = zt::shape1D(c.n);
        ASSERT_TRUE(shape) << c.n;
        EXPECT_EQ(shape->grid.x, c.gx) << c.n;
        EXPECT_EQ(shape->grid.y, 1u) << c.n;
        EXPECT_EQ(shape->grid.z, 1u) << c.n;
        EXPECT_EQ(shape->block.x, 64u) << c.n;
    }
}

TEST(LaunchShape, TwoDimensionalSpreadsBlocksOverASquareGrid) {
    // b = ceil(n/w), gx = ceil(sqrt(b)), gy = ceil(n / (gx*w)).
    const ShapeCase width64[] = {
        {1, 1, 1}, {63, 1, 1}, {64, 1, 1}, {65, 2, 1}, {1000000, 125, 125}};
    const ShapeCase width128[] = {{1, 1, 1}, {63, 1, 1}, {64, 1, 1}, {65, 1, 1}, {1000000, 89, 88}};
    for (const auto& [width, cases] : {std::pair{64u, width64}, std::pair{128u, width128}}) {
        for (int i = 0; i < 5; ++i) {
            const ShapeCase& c = cases[i];
            const std::optional<zt::LaunchShape> shape = zt::shape2D(c.n, width);
            ASSERT_TRUE(shape) << c.n << " by " << width;
            EXPECT_EQ(shape->grid.x, c.gx) << c.n << " by " << width;
            EXPECT_EQ(shape->grid.y, c.gy) << c.n << " by " << width;
            EXPECT_EQ(shape->block.x, width);
            EXPECT_GE(shape->threads(), c.n);
            // No whole row of blocks is wasted.
            EXPECT_LT(shape->threads() - c.n, std::uint64_t(shape->grid.x) * width);
        }
    }
}

TEST(LaunchShape, RangesWithoutAShapeAreRefused) {
    EXPECT_FALSE(zt::shape2D(0, 64));
    EXPECT_FALSE(zt::shape2D(0, 128));
    EXPECT_FALSE(zt::shape2D(100, 32));
    EXPECT_FALSE(zt::shape2D(100, 256));
    // 32-bit element indices: 2^32 - 1 elements still fit, 2^32 do not.
    EXPECT_TRUE(zt::shape1D((std::size_t(1) << 32) - 1));
    EXPECT_FALSE(zt::shape1D(std::size_t(1) << 32));
    EXPECT_FALSE(zt::shape2D(std::size_t(1) << 33, 128));

    // The launch itself refuses the same and reports nothing back.
    std::vector<unsigned int> counts;
    unsigned int invocations = 12345;
    EXPECT_EQ(zt::countVisits2D(0, 64, 10, counts, invocations), zt::KernelStatus::InvalidLaunch);
    EXPECT_EQ(zt::countVisits2D(100, 96, 10, counts, invocations), zt::KernelStatus::InvalidLaunch);
    EXPECT_TRUE(counts.empty());
    EXPECT_EQ(invocations, 12345u);
}

void expectEveryElementOnce(const std::vector<unsigned int>& counts, std::size_t n,
                            const char* form) {
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const unsigned int expected = i < n ? 1u : 0u;
        if (counts[i] != expected && wrong++ < 5) {
            ADD_FAILURE() << form << " n=" << n << ": element " << i << " visited " << counts[i]
                          << " times";
        }
    }
    EXPECT_EQ(wrong, 0u) << form << " n=" << n;
}

TEST(Launch, BothFormsVisitEveryElementOnce) {
    // Width 0: the one-dimensional form, which also takes an empty range.
    for (unsigned int width : {0u, 64u, 128u}) {
        for (std::size_t n :
             {std::size_t(0), std::size_t(1), std::size_t(63), std::size_t(64), std::size_t(65),
              std::size_t(129), std::size_t(1000), std::size_t(1000000)}) {
            if (n == 0 && width != 0) continue;
            const std::size_t guard = 250;
            std::vector<unsigned int> counts;
            unsigned int invocations = 0;
            ASSERT_EQ(width == 0 ? zt::countVisits1D(n, guard, counts, invocations)
                                 : zt::countVisits2D(n, width, guard, counts, invocations),
                      zt::KernelStatus::Ok);
            ASSERT_EQ(counts.size(), n + guard);
            const char* form = width == 0 ? "1D" : (width == 64 ? "2D/64" : "2D/128");
            expectEveryElementOnce(counts, n, form);
            EXPECT_EQ(invocations,
                      width == 0 ? zt::shape1D(n)->threads() : zt::shape2D(n, width)->threads())
                << form << " n=" << n;
        }
    }
}

}  // namespace
