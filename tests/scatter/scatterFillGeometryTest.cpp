// Plane geometry of the gap fill, checked against dense grids of points:
// a triangle reported inside the union of two disks must be, and one the
// grid finds inside must almost always be reported; the farthest gap of a
// region must lie in it, outside every disk and no nearer to them than any
// point of the grid, and be found whenever the grid finds an uncovered one.
// The single-precision search for points near a spot must never miss one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "kernels/scatterFillGeometry.h"

namespace {

using zt::fill::Disk;

Disk disk(double x, double y, double rho) {
    return Disk{x, y, rho * rho, rho};
}

// Whether every point of a barycentric grid over the triangle lies in a or b.
bool gridInside(const double (&q)[3][2], const Disk& a, const Disk& b) {
    constexpr int kSteps = 60;
    for (int i = 0; i <= kSteps; ++i)
        for (int j = 0; i + j <= kSteps; ++j) {
            const double u = double(i) / kSteps, v = double(j) / kSteps, w = 1.0 - u - v;
            const double x = w * q[0][0] + u * q[1][0] + v * q[2][0];
            const double y = w * q[0][1] + u * q[1][1] + v * q[2][1];
            if (!zt::fill::inDisk(a, x, y) && !zt::fill::inDisk(b, x, y)) return false;
        }
    return true;
}

TEST(FillGeometry, APairHoldsATriangleExactlyWhenEveryPointOfItLiesInOneOfThem) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int reported = 0, gridCovered = 0, agreed = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const double ra = 0.5 + 0.5 * unit(rng), rb = 0.5 + 0.5 * unit(rng);
        const double angle = 6.283185307179586 * unit(rng);
        // Crossing circles, their centres apart by d.
        const double dMin = std::fabs(ra - rb) + 0.05, dMax = ra + rb - 0.05;
        const double d = dMin + (dMax - dMin) * unit(rng);
        const double ux = std::cos(angle), uy = std::sin(angle);
        const Disk a = disk(0.0, 0.0, ra);
        const Disk b = disk(d * ux, d * uy, rb);
        // A small triangle around a tip of the lens, where the line between
        // the two disks' parts of it matters most.
        const double along = (ra * ra - rb * rb + d * d) / (2.0 * d);
        const double half = std::sqrt(std::max(0.0, ra * ra - along * along));
        const double side = unit(rng) < 0.5 ? -1.0 : 1.0;
        const double cx = along * ux - side * half * uy + 0.6 * (unit(rng) - 0.5);
        const double cy = along * uy + side * half * ux + 0.6 * (unit(rng) - 0.5);
        const double size = 0.05 + 0.5 * unit(rng);
        double q[3][2];
        for (auto& corner : q) {
            corner[0] = cx + size * (unit(rng) - 0.5);
            corner[1] = cy + size * (unit(rng) - 0.5);
        }
        const bool pair = zt::fill::inDiskPair(q, a, b);
        const bool grid = gridInside(q, a, b);
        // Reported inside: the grid must agree; the order of the disks does
        // not matter.
        if (pair) {
            EXPECT_TRUE(grid) << "trial " << trial;
        }
        EXPECT_EQ(pair, zt::fill::inDiskPair(q, b, a)) << "trial " << trial;
        reported += pair ? 1 : 0;
        gridCovered += grid ? 1 : 0;
        agreed += (pair && grid) ? 1 : 0;
    }
    // Both kinds of triangle occur, and those the grid finds inside are
    // reported (a miss is a sliver between grid points left uncovered).
    EXPECT_GT(gridCovered, 400);
    EXPECT_LT(gridCovered, 3600);
    EXPECT_GE(agreed, gridCovered * 97 / 100);
    EXPECT_EQ(reported, agreed);
}

TEST(FillGeometry, AnEdgePassingOutsideTheLensIsNotHeld) {
    // Unit disks 1.6 apart: the lens tips are at (0.8, +-0.6). Corners in a,
    // in b and in both, but the edge from the first to the second passes
    // above the tip.
    const Disk a = disk(0.0, 0.0, 1.0), b = disk(1.6, 0.0, 1.0);
    const double across[3][2] = {{0.1, 0.95}, {1.45, 0.8}, {0.8, 0.0}};
    EXPECT_FALSE(zt::fill::inDiskPair(across, a, b));
    // The same corners pulled below the tip are held.
    const double below[3][2] = {{0.1, 0.5}, {1.45, 0.4}, {0.8, 0.0}};
    EXPECT_TRUE(zt::fill::inDiskPair(below, a, b));
    // Disjoint disks hold no triangle with corners in both.
    const Disk far = disk(2.5, 0.0, 1.0);
    const double bridge[3][2] = {{0.5, 0.0}, {2.0, 0.0}, {1.2, 0.1}};
    EXPECT_FALSE(zt::fill::inDiskPair(bridge, a, far));
}

TEST(FillGeometry, TheFarthestGapLiesOutsideEveryDiskAndFartherThanAnyGridPoint) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    zt::fill::PowerCells cells;
    int gaps = 0, covered = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        // Disks of radius 0.6 to 1 jittered around a grid of pitch 1.1 to
        // 1.6 (cut balls, some of them small), over a triangle some 3 across.
        const double pitch = 1.1 + 0.5 * unit(rng);
        std::vector<Disk> disks;
        for (int i = -2; i <= 4; ++i)
            for (int j = -2; j <= 4; ++j) {
                const double rho = unit(rng) < 0.15 ? 0.2 + 0.4 * unit(rng) : 0.6 + 0.4 * unit(rng);
                disks.push_back(disk(pitch * (i + 0.3 * (unit(rng) - 0.5)),
                                     pitch * (j + 0.3 * (unit(rng) - 0.5)), rho));
            }
        std::vector<zt::fill::Point2> region;
        for (int k = 0; k < 3; ++k) region.push_back({3.5 * unit(rng), 3.5 * unit(rng)});
        zt::fill::CellGap gap;
        const bool open = cells.farthestGap(disks, region, gap);
        // The least power to any disk over a barycentric grid of the region.
        constexpr int kSteps = 80;
        double worst = -1e300;
        for (int i = 0; i <= kSteps; ++i)
            for (int j = 0; i + j <= kSteps; ++j) {
                const double u = double(i) / kSteps, v = double(j) / kSteps, w = 1.0 - u - v;
                const double x = w * region[0].x + u * region[1].x + v * region[2].x;
                const double y = w * region[0].y + u * region[1].y + v * region[2].y;
                double least = 1e300;
                for (const Disk& d : disks) least = std::min(least, zt::fill::powerTo(d, x, y));
                worst = std::max(worst, least);
            }
        if (open) {
            ++gaps;
            double least = 1e300;
            for (const Disk& d : disks) least = std::min(least, zt::fill::powerTo(d, gap.x, gap.y));
            EXPECT_GT(least, 0.0) << "trial " << trial;
            EXPECT_NEAR(gap.least, least, 1e-12) << "trial " << trial;
            // In the region (up to rounding): on the inner side of every edge.
            const double turn = (region[1].x - region[0].x) * (region[2].y - region[0].y) -
                                (region[1].y - region[0].y) * (region[2].x - region[0].x);
            for (int e = 0; e < 3; ++e) {
                const zt::fill::Point2 a = region[e], b = region[(e + 1) % 3];
                const double side = (b.x - a.x) * (gap.y - a.y) - (b.y - a.y) * (gap.x - a.x);
                EXPECT_GE(side * turn, -1e-9) << "trial " << trial;
            }
            // It is the region's point farthest from every disk.
            EXPECT_GE(gap.least, worst - 1e-9) << "trial " << trial;
        } else {
            ++covered;
            EXPECT_LE(worst, 0.0) << "trial " << trial;
        }
    }
    // Both outcomes occur often.
    EXPECT_GT(gaps, 150);
    EXPECT_GT(covered, 150);
    // No disk at all: the region is open, at its centre.
    const std::vector<zt::fill::Point2> triangle = {{0.0, 0.0}, {3.0, 0.0}, {0.0, 3.0}};
    zt::fill::CellGap gap;
    ASSERT_TRUE(cells.farthestGap({}, triangle, gap));
    EXPECT_DOUBLE_EQ(gap.x, 1.0);
    EXPECT_DOUBLE_EQ(gap.y, 1.0);
    EXPECT_GT(gap.least, 0.0);
}

// Points at distances just inside and just outside the limit, around
// centres from near the origin to far from it (where single precision
// rounds coarsely), in clouds of every length modulo four: every point
// within the limit in double precision is reported, in order, and the few
// reported from outside lie within a hair of it.
TEST(FillGeometry, TheQuickSearchNeverMissesAPointWithinTheLimit) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int inside = 0, extra = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const double magnitude = std::pow(10.0, -2.0 + 6.0 * unit(rng));  // 0.01 to 10^4
        const double reach = magnitude * std::pow(10.0, -4.0 + 4.0 * unit(rng));
        double c[3];
        for (double& a : c) a = magnitude * (2.0 * unit(rng) - 1.0);
        const double limit = reach * reach;
        const std::size_t count = 1 + trial % 23;
        std::vector<float> xyz;
        for (std::size_t k = 0; k < count; ++k) {
            // A direction, and a distance within a few parts in 10^6 of the
            // reach (or anywhere up to twice it).
            double d[3], length = 0.0;
            for (double& a : d) {
                a = 2.0 * unit(rng) - 1.0;
                length += a * a;
            }
            length = std::sqrt(length);
            const double at = k % 3 == 0 ? 2.0 * unit(rng) : 1.0 + 4e-6 * (2.0 * unit(rng) - 1.0);
            for (int a = 0; a < 3; ++a)
                xyz.push_back(static_cast<float>(c[a] + reach * at * d[a] / length));
        }
        std::vector<std::size_t> reported;
        zt::fill::forPointsNear(xyz.data(), count, c, limit,
                                [&](std::size_t k) { reported.push_back(k); });
        ASSERT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        ASSERT_EQ(std::adjacent_find(reported.begin(), reported.end()), reported.end());
        for (std::size_t k = 0; k < count; ++k) {
            double d2 = 0.0;
            for (int a = 0; a < 3; ++a) {
                const double d = double(xyz[3 * k + a]) - c[a];
                d2 += d * d;
            }
            const bool found = std::binary_search(reported.begin(), reported.end(), k);
            if (d2 <= limit) {
                ++inside;
                ASSERT_TRUE(found)
                    << "trial " << trial << ": point " << k << " at " << std::sqrt(d2 / limit)
                    << " of the reach, magnitude " << magnitude << ", reach " << reach;
            } else if (found) {
                ++extra;
                // Reported from outside: only within the search's margin.
                EXPECT_LT(std::sqrt(d2), reach + 1e-5 * (reach + magnitude)) << "trial " << trial;
            }
        }
    }
    // The clouds put many points on both sides of the limit.
    EXPECT_GT(inside, 5000);
    EXPECT_LT(extra, inside);
}

}  // namespace
