#pragma once
// Plane geometry of the gap fill (scatterFill.cpp): the disk a point's ball
// cuts from a triangle's plane, whether a triangle lies in the union of two
// such disks, and the spot of a region farthest from every disk.
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
#include <cstddef>
#include <limits>
#include <vector>

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
inline bool inDiskPair(const double (&q)[3][2], const Disk& a, const Disk& b) {
    // f(p) = power to a - power to b, linear in p.
    const double gx = 2.0 * (b.x - a.x), gy = 2.0 * (b.y - a.y);
    const double g0 = a.x * a.x + a.y * a.y - a.rho2 - b.x * b.x - b.y * b.y + b.rho2;
    double f[3];
    for (int k = 0; k < 3; ++k) {
        f[k] = gx * q[k][0] + gy * q[k][1] + g0;
        if (f[k] <= 0.0 && !inDisk(a, q[k][0], q[k][1])) return false;
        if (f[k] >= 0.0 && !inDisk(b, q[k][0], q[k][1])) return false;
    }
    for (int k = 0; k < 3; ++k) {
        const int j = (k + 1) % 3;
        if ((f[k] < 0.0) == (f[j] < 0.0) || f[k] == f[j]) continue;
        const double u = f[k] / (f[k] - f[j]);
        const double x = q[k][0] + u * (q[j][0] - q[k][0]);
        const double y = q[k][1] + u * (q[j][1] - q[k][1]);
        if (!inDisk(a, x, y) || !inDisk(b, x, y)) return false;
    }
    return true;
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
        prepare(disks);
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

    // Finds the pairs of overlapping disks, for gapOf.
    void prepare(const std::vector<Disk>& disks) {
        const std::size_t n = disks.size();
        if (overlapping_.size() < n) overlapping_.resize(n);
        for (std::size_t k = 0; k < n; ++k) overlapping_[k].clear();
        order_.resize(n);
        double widest = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            order_[k] = static_cast<unsigned int>(k);
            widest = std::max(widest, disks[k].rho);
        }
        std::sort(order_.begin(), order_.end(),
                  [&](unsigned int a, unsigned int b) { return disks[a].x < disks[b].x; });
        // Sweep along x: a disk overlaps only those within its radius plus
        // the widest radius.
        for (std::size_t a = 0; a < n; ++a) {
            const Disk& da = disks[order_[a]];
            const double limit = da.x + da.rho + widest;
            for (std::size_t b = a + 1; b < n && disks[order_[b]].x < limit; ++b)
                link(disks, order_[a], order_[b]);
        }
    }

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
        // The overlapping disks, nearest first.
        const std::vector<Neighbour>& near = overlapping_[i];
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

    void link(const std::vector<Disk>& disks, std::size_t a, std::size_t b) {
        const double dx = disks[b].x - disks[a].x, dy = disks[b].y - disks[a].y;
        const double d2 = dx * dx + dy * dy, reach = disks[a].rho + disks[b].rho;
        if (!(d2 < reach * reach)) return;
        insert(overlapping_[a], {d2, static_cast<unsigned int>(b)});
        insert(overlapping_[b], {d2, static_cast<unsigned int>(a)});
    }

    // Keeps a list ordered by distance, then index.
    static void insert(std::vector<Neighbour>& list, Neighbour n) {
        list.push_back(n);
        for (std::size_t k = list.size() - 1;
             k > 0 && (list[k].d2 < list[k - 1].d2 ||
                       (list[k].d2 == list[k - 1].d2 && list[k].index < list[k - 1].index));
             --k)
            std::swap(list[k], list[k - 1]);
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
        double prevSide = ax * px + ay * py - b;
        for (std::size_t k = 0; k < count_; ++k) {
            const double cx = x_[k], cy = y_[k];
            const double side = ax * cx + ay * cy - b;
            // The crossing of the edge with the line, kept when the edge
            // crosses it; then the corner, kept when on the kept side.
            const bool crosses = (side > 0.0) != (prevSide > 0.0);
            const double t = crosses ? prevSide / (prevSide - side) : 0.0;
            xs_[out] = px + t * (cx - px);
            ys_[out] = py + t * (cy - py);
            out += crosses ? 1 : 0;
            xs_[out] = cx;
            ys_[out] = cy;
            out += side <= 0.0 ? 1 : 0;
            px = cx;
            py = cy;
            prevSide = side;
        }
        x_.swap(xs_);
        y_.swap(ys_);
        count_ = out;
    }

    std::vector<double> x_, y_, xs_, ys_;
    std::size_t count_ = 0;
    std::vector<std::vector<Neighbour>> overlapping_;
    std::vector<unsigned int> order_;
};

}  // namespace fill
}  // namespace zt
