#pragma once
// Geometry of the gap fill (scatterFill.cpp): the disk a point's ball cuts
// from a triangle's plane, whether a triangle lies in the union of two such
// disks, the spot of a region farthest from every disk, and a quick search
// for the points near a spot.
//
// The power of a point p to a disk is |p - c|^2 - rho^2. For the disks that
// balls of radius r cut from one plane it is |p - centre of the ball|^2 - r^2,
// so the disk of least power at p belongs to the ball whose centre is
// nearest, and p lies in some disk exactly when it lies in that one. A
// region splits into convex cells, one per disk (the power diagram); the
// region is covered exactly when every cell lies in its own disk, that is
// when every corner of every cell does (disks are convex), and the farthest
// point of a cell from its ball's centre is one of its corners.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace zt {
namespace fill {

// A ball of radius r cut by a triangle's plane.
struct Disk {
    double x, y;  // centre in plane coordinates
    double rho2;  // squared radius
    double rho;
};

inline bool inDisk(const Disk& d, double x, double y) {
    const double dx = x - d.x, dy = y - d.y;
    return dx * dx + dy * dy <= d.rho2;
}

// The power of (x, y) to the disk: negative inside, zero on the circle.
inline double powerTo(const Disk& d, double x, double y) {
    const double dx = x - d.x, dy = y - d.y;
    return dx * dx + dy * dy - d.rho2;
}

struct Point2 {
    double x, y;
};

// Whether the triangle q (plane coordinates) lies in the union of disks a
// and b. On a's side of their radical line (where the power of a point to a
// is the smaller) the union is a alone, on b's side b alone; each side of
// the triangle is a convex polygon, which lies in a disk when its corners
// do: the triangle corners on that side and the crossings of its edges with
// the line.
//
// inA and inB say which corners lie in a and in b (bit k: corner k), as
// inDisk finds them: callers that know them already pass them in.
inline bool inDiskPair(const double (&q)[3][2], const Disk& a, const Disk& b, unsigned int inA,
                       unsigned int inB) {
    // f(p) = power to a - power to b, linear in p.
    const double gx = 2.0 * (b.x - a.x), gy = 2.0 * (b.y - a.y);
    const double g0 = a.x * a.x + a.y * a.y - a.rho2 - b.x * b.x - b.y * b.y + b.rho2;
    const double f[3] = {gx * q[0][0] + gy * q[0][1] + g0, gx * q[1][0] + gy * q[1][1] + g0,
                         gx * q[2][0] + gy * q[2][1] + g0};
    // A corner on a's side must lie in a, one on b's side in b.
    const unsigned int aSide =
        unsigned(f[0] <= 0.0) | unsigned(f[1] <= 0.0) << 1 | unsigned(f[2] <= 0.0) << 2;
    const unsigned int bSide =
        unsigned(f[0] >= 0.0) | unsigned(f[1] >= 0.0) << 1 | unsigned(f[2] >= 0.0) << 2;
    if ((aSide & ~inA) != 0 || (bSide & ~inB) != 0) return false;
    // Where an edge crosses the line, the crossing must lie in both.
    auto crossingHeld = [&](int k, int j) {
        if ((f[k] < 0.0) == (f[j] < 0.0) || f[k] == f[j]) return true;
        const double u = f[k] / (f[k] - f[j]);
        const double x = q[k][0] + u * (q[j][0] - q[k][0]);
        const double y = q[k][1] + u * (q[j][1] - q[k][1]);
        return inDisk(a, x, y) && inDisk(b, x, y);
    };
    return crossingHeld(0, 1) && crossingHeld(1, 2) && crossingHeld(2, 0);
}

inline bool inDiskPair(const double (&q)[3][2], const Disk& a, const Disk& b) {
    unsigned int inA = 0, inB = 0;
    for (int k = 0; k < 3; ++k) {
        inA |= (inDisk(a, q[k][0], q[k][1]) ? 1u : 0u) << k;
        inB |= (inDisk(b, q[k][0], q[k][1]) ? 1u : 0u) << k;
    }
    return inDiskPair(q, a, b, inA, inB);
}

// Calls take(k) for every one of the `count` points of xyz (3 floats each),
// in order, whose squared distance from c is at most `limit`, and maybe for
// a few a little farther: the test runs in single precision, four points at
// a time, with a margin for its rounding, so callers test again exactly.
template <class Take>
inline void forPointsNear(const float* xyz, std::size_t count, const double* c, double limit,
                          Take take) {
    const float cx = float(c[0]), cy = float(c[1]), cz = float(c[2]);
    // Rounding c and the differences moves each by a few units in the last
    // place of the largest coordinate; squares and sums add a few more
    // relative to the result.
    const double reach = std::sqrt(limit);
    const double largest = std::max({std::fabs(c[0]), std::fabs(c[1]), std::fabs(c[2]), reach});
    const double slack = 8.0 * double(std::numeric_limits<float>::epsilon()) * largest;
    const float bound = float((reach + slack) * (reach + slack) * (1.0 + 1e-5));
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128 vx = _mm_set1_ps(cx), vy = _mm_set1_ps(cy), vz = _mm_set1_ps(cz);
    const __m128 vb = _mm_set1_ps(bound);
    for (; k + 4 <= count; k += 4) {
        // Four points x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3 to x, y and z.
        const float* p = xyz + 3 * k;
        const __m128 a = _mm_loadu_ps(p), b = _mm_loadu_ps(p + 4), c3 = _mm_loadu_ps(p + 8);
        const __m128 x2y2x3y3 = _mm_shuffle_ps(b, c3, _MM_SHUFFLE(2, 1, 3, 2));
        const __m128 y0z0y1z1 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 0, 2, 1));
        const __m128 x = _mm_shuffle_ps(a, x2y2x3y3, _MM_SHUFFLE(2, 0, 3, 0));
        const __m128 y = _mm_shuffle_ps(y0z0y1z1, x2y2x3y3, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128 z = _mm_shuffle_ps(y0z0y1z1, c3, _MM_SHUFFLE(3, 0, 3, 1));
        const __m128 dx = _mm_sub_ps(x, vx), dy = _mm_sub_ps(y, vy), dz = _mm_sub_ps(z, vz);
        const __m128 d2 =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
        for (int bits = _mm_movemask_ps(_mm_cmple_ps(d2, vb)); bits != 0; bits &= bits - 1)
            take(k + std::size_t(__builtin_ctz(unsigned(bits))));
    }
#endif
    for (; k < count; ++k) {
        const float* p = xyz + 3 * k;
        const float dx = p[0] - cx, dy = p[1] - cy, dz = p[2] - cz;
        if (dx * dx + dy * dy + dz * dz <= bound) take(k);
    }
}

// An uncovered spot of a cell: its point farthest out of the cell's disk.
struct CellGap {
    double x = 0, y = 0;
    // The least power of the spot to any disk (> 0): the spot lies
    // sqrt(r^2 + least) from the nearest ball's centre.
    double least = 0;
};

// Finds the cells' uncovered spots. Holds its working space, so one object
// serves many calls.
class PowerCells {
public:
    // The uncovered spot of the region farthest from every ball's centre
    // (the corner of least power to its nearest disk being greatest);
    // false when the disks cover the region. Ties go to the lower disk.
    bool farthestGap(const std::vector<Disk>& disks, const std::vector<Point2>& region,
                     CellGap& gap) {
        if (region.empty()) return false;
        if (disks.empty()) {
            // All of it is open: its centre, as far from every ball as any.
            gap = CellGap{};
            for (const Point2& p : region) {
                gap.x += p.x / double(region.size());
                gap.y += p.y / double(region.size());
            }
            gap.least = std::numeric_limits<double>::infinity();
            return true;
        }
        bool found = false;
        CellGap cell;
        for (std::size_t i = 0; i < disks.size(); ++i) {
            if (!gapOf(disks, i, region, cell) || (found && !(cell.least > gap.least))) continue;
            gap = cell;
            found = true;
        }
        return found;
    }

private:
    // Powers this close (relative to the own disk's squared radius) are
    // taken as equal.
    static constexpr double kTie = 1e-12;

    struct Neighbour {
        double d2;
        unsigned int index;
    };

    // The cell of disk i within the convex `region`: false when it lies in
    // disk i (or is empty); otherwise its point farthest out of disk i,
    // a corner, which lies in no disk, is written to `gap`.
    //
    // The cell is cut by the disks that overlap disk i, nearest first,
    // until it lies in disk i. The corner farthest out of it may still have
    // less power to another disk: then that disk cuts it off, and so on,
    // until the farthest corner belongs to the cell.
    bool gapOf(const std::vector<Disk>& disks, std::size_t i, const std::vector<Point2>& region,
               CellGap& gap) {
        const Disk& own = disks[i];
        // Room for the corners: each cut adds at most one, and no disk cuts
        // twice (bar rounding, which ends the walk).
        const std::size_t room = region.size() + disks.size() + 2;
        if (x_.size() < room) {
            x_.resize(room);
            y_.resize(room);
            xs_.resize(room);
            ys_.resize(room);
        }
        // Corners relative to the disk's centre.
        count_ = region.size();
        for (std::size_t k = 0; k < count_; ++k) {
            x_[k] = region[k].x - own.x;
            y_[k] = region[k].y - own.y;
        }
        // The disks overlapping disk i, nearest first.
        near_.clear();
        for (std::size_t j = 0; j < disks.size(); ++j) {
            const double dx = disks[j].x - own.x, dy = disks[j].y - own.y;
            const double d2 = dx * dx + dy * dy, reach = own.rho + disks[j].rho;
            if (j != i && d2 < reach * reach) near_.push_back({d2, static_cast<unsigned int>(j)});
        }
        std::sort(near_.begin(), near_.end(), [](const Neighbour& a, const Neighbour& b) {
            return a.d2 < b.d2 || (a.d2 == b.d2 && a.index < b.index);
        });
        const std::vector<Neighbour>& near = near_;
        for (const Neighbour& n : near) {
            if (insideOwn(own)) return false;
            cut(own, disks[n.index]);
            if (count_ == 0) return false;
        }
        for (std::size_t cuts = near.size(); cuts < disks.size(); ++cuts) {
            // The corner farthest out of the own disk.
            std::size_t far = count_;
            double farthest = 0.0;
            for (std::size_t k = 0; k < count_; ++k) {
                const double p = x_[k] * x_[k] + y_[k] * y_[k] - own.rho2;
                if (p > farthest) {
                    farthest = p;
                    far = k;
                }
            }
            if (far == count_) return false;
            // The corner is the cell's farthest point when no disk has
            // less power there; otherwise that disk cuts it off.
            const double x = x_[far] + own.x, y = y_[far] + own.y;
            std::size_t holder = i;
            double least = farthest;
            const double tie = kTie * own.rho2;  // a corner on a cut: rounding
            for (std::size_t k = 0; k < disks.size(); ++k) {
                const double p = powerTo(disks[k], x, y);
                if (p < least - tie) {
                    least = p;
                    holder = k;
                }
            }
            if (holder == i) {
                gap.x = x;
                gap.y = y;
                gap.least = least;
                return true;
            }
            cut(own, disks[holder]);
            if (count_ == 0) return false;
        }
        // Every disk has cut: cannot happen, as a disk cuts off a corner of
        // greater power to it than to the own disk, and none is left after.
        return false;
    }

    bool insideOwn(const Disk& own) const {
        bool inside = true;
        for (std::size_t k = 0; k < count_; ++k)
            inside = inside && x_[k] * x_[k] + y_[k] * y_[k] <= own.rho2;
        return inside;
    }

    // Keeps the part of the cell of no greater power to `own` than to
    // `other`: 2 p.(c_o - c) <= |c_o - c|^2 - rho_o^2 + rho^2, with p
    // relative to own's centre c.
    void cut(const Disk& own, const Disk& other) {
        const double dx = other.x - own.x, dy = other.y - own.y;
        const double ax = 2.0 * dx, ay = 2.0 * dy;
        const double b = dx * dx + dy * dy - other.rho2 + own.rho2;
        std::size_t out = 0;
        double px = x_[count_ - 1], py = y_[count_ - 1];
        double before = ax * px + ay * py - b;
        for (std::size_t k = 0; k < count_; ++k) {
            const double cx = x_[k], cy = y_[k];
            const double side = ax * cx + ay * cy - b;
            if ((side > 0.0) != (before > 0.0)) {
                // The edge crosses the line: the crossing is a corner.
                const double t = before / (before - side);
                xs_[out] = px + t * (cx - px);
                ys_[out] = py + t * (cy - py);
                ++out;
            }
            if (side <= 0.0) {
                xs_[out] = cx;
                ys_[out] = cy;
                ++out;
            }
            px = cx;
            py = cy;
            before = side;
        }
        x_.swap(xs_);
        y_.swap(ys_);
        count_ = out;
    }

    std::vector<double> x_, y_, xs_, ys_;
    std::size_t count_ = 0;
    std::vector<Neighbour> near_;
};

}  // namespace fill
}  // namespace zt
