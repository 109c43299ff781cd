// The CPU scatter picks triangles and edges through a guide table; it must
// return exactly what the binary search the GPU runs returns. Its selection
// compares squared distances with a precomputed limit; that must decide
// exactly what the square-root test of the GPU decides.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <omp.h>

#include "kernels/frame/frame.cuh"

namespace zt::cpu::probe {
#include "kernels/scatterKernels.cuh"
#include "kernels/scatterStreaming.cuh"
}  // namespace zt::cpu::probe

namespace zt {
namespace {

using cpu::probe::getTriIndex;
using cpu::probe::streaming::PrefixSumIndex;

std::vector<float> prefixSums(const std::vector<float>& sizes) {
    std::vector<float> cumulative(sizes.size());
    float sum = 0.0f;
    for (std::size_t i = 0; i < sizes.size(); ++i) cumulative[i] = sum += sizes[i];
    return cumulative;
}

TEST(TrianglePick, GuideTableAgreesWithTheBinarySearch) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int round = 0; round < 300; ++round) {
        const unsigned int count = 1 + rng() % (round < 150 ? 20 : 3000);
        std::vector<float> sizes(count);
        for (float& s : sizes) {
            // Zero-size elements (degenerate triangles) and a wide spread of sizes.
            const unsigned int kind = rng() % 4;
            s = kind == 0 ? 0.0f : (kind == 1 ? unit(rng) * 1e-4f : unit(rng) * 10.0f);
        }
        const std::vector<float> cumulative = prefixSums(sizes);
        const float total = cumulative.back();
        const PrefixSumIndex index(cumulative.data(), count, total);
        std::vector<float> rs = {0.0f, 1.0f, 1e-9f, 0.5f, std::nextafter(1.0f, 0.0f)};
        for (unsigned int t = 0; t < count; t += 1 + count / 50) {
            if (total > 0.0f) {
                // Targets landing exactly on, just below and just above an entry.
                const float r = cumulative[t] / total;
                rs.insert(rs.end(), {r, std::nextafter(r, 0.0f), std::nextafter(r, 1.0f)});
            }
        }
        for (int k = 0; k < 200; ++k) rs.push_back(unit(rng));
        for (const float r : rs) {
            if (!(r >= 0.0f && r <= 1.0f)) continue;
            ASSERT_EQ(index.pick(r),
                      getTriIndex(cumulative.data(), static_cast<int>(count), r, total))
                << "count " << count << " r " << r << " round " << round;
        }
    }
}

TEST(TrianglePick, ZeroSizeElementsAreNeverPickedBeforeTheEnd) {
    const std::vector<float> cumulative = prefixSums({1.0f, 0.0f, 0.0f, 2.0f, 0.0f});
    const PrefixSumIndex index(cumulative.data(), 5, 3.0f);
    for (float r = 0.001f; r < 1.0f; r += 0.001f) {
        const unsigned int t = index.pick(r);
        EXPECT_TRUE(t == 0 || t == 3) << r;
    }
    // A target at the very end of the table picks the last element.
    EXPECT_EQ(index.pick(1.0f), 4u);
}

// The CPU backend sorts candidates by cell with a radix sort; the order must
// be the one a stable sort gives (equal keys keep their input order), for
// small and wide keys, any thread count and runs of one key.
TEST(CellSort, RadixSortKeepsTheStableOrder) {
    using cpu::probe::streaming::radixSortByKey;
    std::mt19937 rng(11);
    struct Case {
        std::size_t n;
        unsigned int keyRange;  // 0: full 32 bits
    };
    const Case cases[] = {{0, 5},     {1, 5},           {2, 1},
                          {1000, 7},  {5000, 1u << 11}, {20000, 1u << 22},
                          {30001, 0}, {4096, 1}};
    for (const Case& c : cases) {
        for (const bool serial : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "n " << c.n << " range " << c.keyRange
                                              << (serial ? " serial" : " parallel"));
            std::vector<unsigned int> keys(c.n), values(c.n);
            for (std::size_t i = 0; i < c.n; ++i) {
                keys[i] = c.keyRange == 0 ? static_cast<unsigned int>(rng())
                                          : static_cast<unsigned int>(rng() % c.keyRange);
                // Values not in index order, so a lost pairing shows.
                values[i] = static_cast<unsigned int>(c.n - i) * 3u;
            }
            if (c.n > 10) keys[c.n / 2] = 0xFFFFFFFFu;
            std::vector<std::pair<unsigned int, unsigned int>> expected(c.n);
            for (std::size_t i = 0; i < c.n; ++i) expected[i] = {keys[i], values[i]};
            std::stable_sort(expected.begin(), expected.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            radixSortByKey(keys.data(), values.data(), c.n, serial);
            for (std::size_t i = 0; i < c.n; ++i) {
                ASSERT_EQ(keys[i], expected[i].first) << "at " << i;
                ASSERT_EQ(values[i], expected[i].second) << "at " << i;
            }
        }
    }
}

// Candidates are sorted by cell with their positions gathered on the way;
// large inputs go through buckets sorted in cache, with an even or odd
// count of passes per bucket depending on the width of the ids. The result
// must be the stable order, for narrow and full 32-bit ids.
TEST(CellSort, CandidatesSortedByCellKeepTheirOrderWithinACell) {
    using cpu::probe::streaming::AcceptedPoint;
    using cpu::probe::streaming::Buffer;
    std::mt19937 rng(23);
    for (const unsigned int range : {1000u, 1u << 22, 0u}) {
        for (const bool serial : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "range " << range << (serial ? " serial" : ""));
            const std::size_t n = 200000;
            std::vector<unsigned int> cell(n);
            std::vector<float> x(n), y(n), z(n);
            for (std::size_t i = 0; i < n; ++i) {
                cell[i] = range == 0 ? static_cast<unsigned int>(rng()) : rng() % range;
                x[i] = float(i), y[i] = float(cell[i] % 7), z[i] = -float(i);
            }
            std::vector<std::size_t> order(n);
            for (std::size_t i = 0; i < n; ++i) order[i] = i;
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t a, std::size_t b) { return cell[a] < cell[b]; });
            Buffer<unsigned int> ids;
            Buffer<AcceptedPoint> points;
            cpu::probe::streaming::sortCandidatesByCell(cell.data(), x.data(), y.data(), z.data(),
                                                        n, ids, points, serial);
            ASSERT_EQ(ids.size(), n);
            ASSERT_EQ(points.size(), n);
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t i = order[k];
                ASSERT_EQ(ids[k], cell[i]) << "at " << k;
                ASSERT_EQ(points[k].candidate, i) << "at " << k;
                ASSERT_EQ(points[k].x, x[i]);
                ASSERT_EQ(points[k].y, y[i]);
                ASSERT_EQ(points[k].z, z[i]);
            }
        }
    }
}

// The selection keeps accepted points in bricks of 4x4x4 cells, each brick
// knowing its neighbours' numbers; the bricks are made layer by layer, or
// through an index over the grid where layers are too wide or out of order.
// Both ways must give the same bricks, and a candidate must be rejected
// exactly when an accepted point lies within the radius.
TEST(CellBricks, BothWaysOfMakingThemRejectExactlyTheCandidatesNearAPoint) {
    using cpu::probe::streaming::AcceptedPoint;
    using cpu::probe::streaming::BrickStore;
    using cpu::probe::streaming::Buffer;
    using cpu::probe::streaming::Cell;
    const unsigned int n = 23;  // cells per axis; bricks overhang the grid
    const float radius = 1.0f;
    cpu::probe::GridFrame grid{radius / std::sqrt(3.0f), 0.0f, 0.0f, 0.0f, n, n * n};
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    // A random third of the cells hold candidates, listed in id order.
    Buffer<Cell> cells;
    for (unsigned int iy = 0; iy < n; ++iy)
        for (unsigned int iz = 0; iz < n; ++iz)
            for (unsigned int ix = 0; ix < n; ++ix) {
                if (rng() % 3 != 0) continue;
                Cell cell{};
                cell.key = ix + grid.stepZ * iz + grid.stepY * iy;
                cell.ix = int(ix), cell.iy = int(iy), cell.iz = int(iz);
                cells.push_back(cell);
            }
    auto pointIn = [&](const Cell& cell) {
        return AcceptedPoint{(float(cell.ix) + unit(rng)) * grid.cellSize,
                             (float(cell.iy) + unit(rng)) * grid.cellSize,
                             (float(cell.iz) + unit(rng)) * grid.cellSize, 0u};
    };
    BrickStore byLayer(n, n, n, grid, radius, 2), byIndex(n, n, n, grid, radius, 2);
    Buffer<Cell> cellsByIndex = cells;
    byLayer.registerCells(cells);
    byIndex.registerCells(cellsByIndex, BrickStore::Making::kByIndex);
    for (std::size_t c = 0; c < cells.size(); ++c)
        ASSERT_EQ(cells[c].ref, cellsByIndex[c].ref) << "cell " << c;
    // Points in one cell in 25, over two phases and both threads' lists,
    // and in every cell of the first two bricks (numbers 0 and 1: one per
    // thread), which hold more than their four inline points.
    std::vector<AcceptedPoint> accepted;
    for (int phase = 0; phase < 2; ++phase) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const bool dense = phase == 0 && cells[c].ix < 8 && cells[c].iy < 4 && cells[c].iz < 4;
            if (!dense && rng() % 25 != 0) continue;
            const AcceptedPoint p = pointIn(cells[c]);
            accepted.push_back(p);
            byLayer.accept(cells[c], p, int(c % 2));
            byIndex.accept(cellsByIndex[c], p, int(c % 2));
        }
        byLayer.endPhase();
        byIndex.endPhase();
    }
    ASSERT_GT(accepted.size(), 150u);
    int rejected = 0;
    for (int k = 0; k < 20000; ++k) {
        const std::size_t c = rng() % cells.size();
        const AcceptedPoint q = pointIn(cells[c]);
        bool near = false;
        for (const AcceptedPoint& p : accepted) {
            const float dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
            near = near || std::sqrt(dx * dx + dy * dy + dz * dz) <= radius;
        }
        ASSERT_EQ(byLayer.rejects(cells[c], q, radius), near) << "candidate " << k;
        ASSERT_EQ(byIndex.rejects(cellsByIndex[c], q, radius), near) << "candidate " << k;
        rejected += near ? 1 : 0;
    }
    // Both outcomes are common, so neither answer alone passes.
    EXPECT_GT(rejected, 4000);
    EXPECT_LT(rejected, 16000);
}

// For radii over many magnitudes, squared distances at and around the limit
// (and around r * r, where rounding decides) fall on the same side of both
// tests; so do the special values.
TEST(SquaredRadiusLimit, DecidesExactlyWhatTheSquareRootTestDecides) {
    using cpu::probe::streaming::squaredRadiusLimit;
    std::mt19937 rng(5);
    std::vector<float> radii = {0.0f, 1.0f, 0.1f, 3.0f, 1e-20f, 1e-30f, 1e20f, 3e38f};
    std::uniform_real_distribution<float> mantissa(1.0f, 2.0f);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 2000; ++i) radii.push_back(std::ldexp(mantissa(rng), exponent(rng)));
    const float inf = std::numeric_limits<float>::infinity();
    for (const float r : radii) {
        SCOPED_TRACE(r);
        const float limit = squaredRadiusLimit(r);
        std::vector<float> probes = {0.0f, -0.0f, inf, std::nanf(""), limit, r * r};
        for (const float base : {limit, r * r}) {
            float down = base, up = base;
            for (int k = 0; k < 4; ++k) {
                down = std::nextafter(down, 0.0f);
                up = std::nextafter(up, inf);
                probes.push_back(down);
                probes.push_back(up);
            }
        }
        for (const float d2 : probes) {
            ASSERT_EQ(d2 <= limit, std::sqrt(d2) <= r) << "d2 " << d2 << " limit " << limit;
        }
        // The limit itself is inside, the next float outside.
        if (std::isfinite(limit) && limit > 0.0f && limit < std::numeric_limits<float>::max()) {
            EXPECT_LE(std::sqrt(limit), r);
            EXPECT_GT(std::sqrt(std::nextafter(limit, inf)), r);
        }
    }
    EXPECT_TRUE(std::isnan(squaredRadiusLimit(std::nanf(""))));
    EXPECT_LT(squaredRadiusLimit(-1.0f), 0.0f);
}

// A coordinate's cell index along an axis: the floor of its distance from
// the grid's origin over the cell size, clamped below at 0 and saturated
// like the GPU's conversion above. Checked against that definition at cell
// borders, near 2^31 cells and for the special values.
TEST(CellIndex, IsTheSaturatedFloorOfTheDistanceOverTheCellSize) {
    using cpu::probe::cellIndexOnAxis;
    using cpu::probe::floorToInt;
    const float inf = std::numeric_limits<float>::infinity();
    auto reference = [](float coordinate, float minimum, float cellSize) {
        const float d = coordinate - minimum;
        return floorToInt((d < 0.0f ? 0.0f : d) / cellSize);
    };
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(-3.0f, 300.0f);
    std::vector<float> coordinates = {0.0f, -0.0f, inf, -inf, std::nanf(""), 1e30f, -1e30f};
    for (int i = 0; i < 20000; ++i) coordinates.push_back(unit(rng));
    const float size = 0.37f;
    for (int k = 0; k < 200; ++k) {  // cell borders and the floats beside them
        const float border = static_cast<float>(k) * size;
        coordinates.push_back(border);
        coordinates.push_back(std::nextafter(border, -inf));
        coordinates.push_back(std::nextafter(border, inf));
    }
    for (const float big : {2147483648.0f * size, 2147483520.0f * size, 4294967296.0f * size}) {
        coordinates.push_back(big);
        coordinates.push_back(std::nextafter(big, -inf));
        coordinates.push_back(std::nextafter(big, inf));
    }
    for (const float minimum : {0.0f, -1.5f, 2.0f})
        for (const float c : coordinates)
            ASSERT_EQ(cellIndexOnAxis(c, minimum, size), reference(c, minimum, size))
                << "coordinate " << c << " minimum " << minimum;
    EXPECT_EQ(cellIndexOnAxis(1e30f, 0.0f, size), 2147483647);
    EXPECT_EQ(cellIndexOnAxis(std::nanf(""), 0.0f, size), 0);
    EXPECT_EQ(cellIndexOnAxis(-5.0f, 0.0f, size), 0);
    EXPECT_EQ(cellIndexOnAxis(0.74f, 0.0f, size), 2);
}

}  // namespace
}  // namespace zt
