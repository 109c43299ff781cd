#pragma once
// Small triangle meshes built in the tests, and independent checks of a
// scatter result (distance, on-triangle, coverage), written without the
// scatter's own grid or tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "kernels/scatter.h"

namespace zt::testing {

struct TriMesh {
    std::vector<float> points;  // x, y, z per vertex
    std::vector<unsigned int> triangles;

    ScatterMesh view() const {
        return ScatterMesh{points.data(), points.size() / 3, triangles.data(),
                           triangles.size() / 3};
    }
    std::array<float, 3> vertex(unsigned int i) const {
        return {points[3 * i], points[3 * i + 1], points[3 * i + 2]};
    }
    double triangleArea(std::size_t t) const {
        const auto a = vertex(triangles[3 * t]), b = vertex(triangles[3 * t + 1]),
                   c = vertex(triangles[3 * t + 2]);
        const double ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
        const double vx = c[0] - a[0], vy = c[1] - a[1], vz = c[2] - a[2];
        const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
        return 0.5 * std::sqrt(cx * cx + cy * cy + cz * cz);
    }
    double area() const {
        double total = 0;
        for (std::size_t t = 0; t < triangles.size() / 3; ++t) total += triangleArea(t);
        return total;
    }
};

// Plane in XZ centred at the origin, `cells` x `cells` quads of two triangles.
inline TriMesh makePlane(float width, unsigned int cells) {
    TriMesh m;
    for (unsigned int j = 0; j <= cells; ++j)
        for (unsigned int i = 0; i <= cells; ++i) {
            m.points.push_back(-width / 2 + width * i / cells);
            m.points.push_back(0.0f);
            m.points.push_back(-width / 2 + width * j / cells);
        }
    for (unsigned int j = 0; j < cells; ++j)
        for (unsigned int i = 0; i < cells; ++i) {
            const unsigned int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
            m.triangles.insert(m.triangles.end(), {a, c, b, b, c, d});
        }
    return m;
}

// UV sphere of radius `r` with `rings` latitude bands and `segments` around.
inline TriMesh makeSphere(float r, unsigned int rings, unsigned int segments) {
    TriMesh m;
    const double pi = 3.14159265358979323846;
    m.points.insert(m.points.end(), {0.0f, r, 0.0f});
    for (unsigned int j = 1; j < rings; ++j) {
        const double phi = pi * j / rings;
        for (unsigned int i = 0; i < segments; ++i) {
            const double theta = 2 * pi * i / segments;
            m.points.push_back(static_cast<float>(r * std::sin(phi) * std::cos(theta)));
            m.points.push_back(static_cast<float>(r * std::cos(phi)));
            m.points.push_back(static_cast<float>(r * std::sin(phi) * std::sin(theta)));
        }
    }
    m.points.insert(m.points.end(), {0.0f, -r, 0.0f});
    const unsigned int south = 1 + (rings - 1) * segments;
    auto ring = [&](unsigned int j, unsigned int i) {
        return 1 + (j - 1) * segments + i % segments;
    };
    for (unsigned int i = 0; i < segments; ++i)
        m.triangles.insert(m.triangles.end(), {0, ring(1, i + 1), ring(1, i)});
    for (unsigned int j = 1; j + 1 < rings; ++j)
        for (unsigned int i = 0; i < segments; ++i)
            m.triangles.insert(m.triangles.end(),
                               {ring(j, i), ring(j, i + 1), ring(j + 1, i), ring(j, i + 1),
                                ring(j + 1, i + 1), ring(j + 1, i)});
    for (unsigned int i = 0; i < segments; ++i)
        m.triangles.insert(m.triangles.end(), {ring(rings - 1, i), ring(rings - 1, i + 1), south});
    return m;
}

// Axis-aligned box made of 12 triangles (closed: no border edges).
inline TriMesh makeCube(float size) {
    TriMesh m;
    const float h = size / 2;
    for (int i = 0; i < 8; ++i) {
        m.points.push_back(i & 1 ? h : -h);
        m.points.push_back(i & 2 ? h : -h);
        m.points.push_back(i & 4 ? h : -h);
    }
    m.triangles = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                   2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return m;
}

// Bounding box of a mesh as the grid frame of the scatter.
inline void frameTo(const TriMesh& m, ScatterSettings& s) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (std::size_t i = 0; i < m.points.size(); ++i) {
        lo[i % 3] = std::min(lo[i % 3], m.points[i]);
        hi[i % 3] = std::max(hi[i % 3], m.points[i]);
    }
    s.bboxMinX = lo[0], s.bboxMinY = lo[1], s.bboxMinZ = lo[2];
    s.bboxMaxX = hi[0], s.bboxMaxZ = hi[2];
}

// The scatter framed to the mesh's bounding box; it must succeed.
inline ScatterResult scatterOn(const TriMesh& mesh, ScatterSettings s,
                               CpuSelection selection = CpuSelection::kStreaming) {
    frameTo(mesh, s);
    ScatterResult r;
    EXPECT_EQ(scatterPoints(mesh.view(), s, r, selection, nullptr), KernelStatus::Ok);
    return r;
}

// Every point from `from` on sits at A + u(B - A) + v(C - A) of its triangle
// with u, v >= 0 and u + v <= 1. `exact`: the position is that float sum to
// the bit and u, v are not below 0; otherwise both within rounding (1e-5 on
// the position, 1e-6 on u and v).
inline void expectOnTriangles(const TriMesh& mesh, const ScatterResult& r, std::size_t from = 0,
                              bool exact = false) {
    const std::size_t n = r.triangleIds.size();
    ASSERT_EQ(r.positions.size(), 3 * n);
    ASSERT_EQ(r.uvs.size(), 2 * n);
    const float slack = exact ? 0.0f : 1e-6f;
    for (std::size_t i = from; i < n; ++i) {
        const unsigned int t = r.triangleIds[i];
        ASSERT_LT(t, mesh.triangles.size() / 3);
        const auto a = mesh.vertex(mesh.triangles[3 * t]);
        const auto b = mesh.vertex(mesh.triangles[3 * t + 1]);
        const auto c = mesh.vertex(mesh.triangles[3 * t + 2]);
        const float u = r.uvs[2 * i], v = r.uvs[2 * i + 1];
        EXPECT_GE(u, -slack) << "point " << i;
        EXPECT_GE(v, -slack) << "point " << i;
        EXPECT_LE(u + v, 1.0f + 1e-6f) << "point " << i;
        for (int k = 0; k < 3; ++k) {
            if (exact) {
                EXPECT_EQ(r.positions[3 * i + k], a[k] + (b[k] - a[k]) * u + (c[k] - a[k]) * v)
                    << "point " << i;
            } else {
                const double expected =
                    a[k] + double(u) * (b[k] - a[k]) + double(v) * (c[k] - a[k]);
                EXPECT_NEAR(r.positions[3 * i + k], expected, 1e-5) << "point " << i;
            }
        }
    }
}

// Buckets points in cubes of edge `cell` for neighbour queries.
class PointGrid {
public:
    PointGrid(const std::vector<float>& xyz, double cell) : xyz_(xyz), cell_(cell) {
        for (std::size_t i = 0; i < xyz.size() / 3; ++i) buckets_[keyOf(&xyz[3 * i])].push_back(i);
    }

    // Calls f(j) for every point j in the 3x3x3 cubes around p.
    template <class F>
    void forNeighbours(const double* p, F f) const {
        const long long cx = std::llround(std::floor(p[0] / cell_)),
                        cy = std::llround(std::floor(p[1] / cell_)),
                        cz = std::llround(std::floor(p[2] / cell_));
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    const auto it = buckets_.find(pack(cx + dx, cy + dy, cz + dz));
                    if (it == buckets_.end()) continue;
                    for (const std::size_t j : it->second) f(j);
                }
    }

    double distance(const double* p, std::size_t j) const {
        const double dx = p[0] - xyz_[3 * j], dy = p[1] - xyz_[3 * j + 1],
                     dz = p[2] - xyz_[3 * j + 2];
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }

private:
    static std::uint64_t pack(long long x, long long y, long long z) {
        return (std::uint64_t(x + (1 << 20)) << 42) | (std::uint64_t(y + (1 << 20)) << 21) |
               std::uint64_t(z + (1 << 20));
    }
    std::uint64_t keyOf(const float* p) const {
        return pack(std::llround(std::floor(p[0] / cell_)), std::llround(std::floor(p[1] / cell_)),
                    std::llround(std::floor(p[2] / cell_)));
    }
    const std::vector<float>& xyz_;
    double cell_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> buckets_;
};

// Smallest distance between two points of the set (in double precision).
inline double closestPairDistance(const std::vector<float>& xyz, double radius) {
    const PointGrid grid(xyz, radius);
    double best = 1e300;
    for (std::size_t i = 0; i < xyz.size() / 3; ++i) {
        const double p[3] = {xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]};
        grid.forNeighbours(p, [&](std::size_t j) {
            if (j != i) best = std::min(best, grid.distance(p, j));
        });
    }
    return best;
}

// Uniform random points on a mesh's surface: a triangle picked in
// proportion to its area, then a uniform point in it.
class SurfaceSampler {
public:
    explicit SurfaceSampler(const TriMesh& m) : mesh_(m) {
        for (std::size_t t = 0; t < m.triangles.size() / 3; ++t)
            cumulative_.push_back(total_ += m.triangleArea(t));
    }

    template <class Rng>
    void sample(Rng& rng, double p[3]) const {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const std::size_t t = std::min<std::size_t>(
            std::upper_bound(cumulative_.begin(), cumulative_.end(), unit(rng) * total_) -
                cumulative_.begin(),
            cumulative_.size() - 1);
        const auto a = mesh_.vertex(mesh_.triangles[3 * t]);
        const auto b = mesh_.vertex(mesh_.triangles[3 * t + 1]);
        const auto c = mesh_.vertex(mesh_.triangles[3 * t + 2]);
        double u = unit(rng), v = unit(rng);
        if (u + v > 1) u = 1 - u, v = 1 - v;
        for (int k = 0; k < 3; ++k) p[k] = a[k] + u * (b[k] - a[k]) + v * (c[k] - a[k]);
    }

private:
    const TriMesh& mesh_;
    std::vector<double> cumulative_;
    double total_ = 0;
};

struct Coverage {
    double largestGap = 0;      // largest distance from a sample to its nearest point
    std::size_t uncovered = 0;  // samples farther than `radius` from every point
};

// `samples` uniform random surface spots and their distance to the nearest
// point of the set (the grid finds every point within `radius`).
inline Coverage coverage(const TriMesh& m, const std::vector<float>& xyz, double radius,
                         unsigned int samples, unsigned int seed) {
    const PointGrid grid(xyz, radius);
    const SurfaceSampler sampler(m);
    std::mt19937_64 rng(seed);
    Coverage c;
    for (unsigned int s = 0; s < samples; ++s) {
        double p[3];
        sampler.sample(rng, p);
        double nearest = 2 * radius;
        grid.forNeighbours(
            p, [&](std::size_t j) { nearest = std::min(nearest, grid.distance(p, j)); });
        c.largestGap = std::max(c.largestGap, nearest);
        if (nearest > radius) ++c.uncovered;
    }
    return c;
}

}  // namespace zt::testing
