// Gap filling of a Poisson-disc set (see scatterFill.h). Host code, built
// once and called by the scatter of both backends.

#include "kernels/scatterFill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kernels/scatterFillGeometry.h"

namespace zt {
namespace {

using u64 = std::uint64_t;

// splitmix64's finaliser: a counter-based random source.
u64 mix64(u64 x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [0, 1) from the top 53 bits.
double unitFrom(u64 bits) {
    return static_cast<double>(bits >> 11) * (1.0 / 9007199254740992.0);
}

double dot3(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void cross3(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

unsigned int log2Ceil(u64 n) {
    unsigned int bits = 0;
    while ((u64(1) << bits) < n) ++bits;
    return bits;
}

// Bits of a cell index spread to every third bit (20 bits in, 60 out).
u64 spreadBits(u64 x) {
    x &= 0xFFFFFull;
    x = (x | (x << 32)) & 0x001F00000000FFFFull;
    x = (x | (x << 16)) & 0x001F0000FF0000FFull;
    x = (x | (x << 8)) & 0x100F00F00F00F00Full;
    x = (x | (x << 4)) & 0x10C30C30C30C30C3ull;
    x = (x | (x << 2)) & 0x1249249249249249ull;
    return x;
}

// Makes room for `more` elements at the end of v: at once, so that appending
// them copies the vector at most once, and by at least a quarter, so that
// many small reservations do not copy it every time.
template <class T, class A>
void reserveMore(std::vector<T, A>& v, std::size_t more) {
    if (v.size() + more > v.capacity())
        v.reserve(std::max(v.size() + more, v.capacity() + v.capacity() / 4));
}

// ---------------------------------------------------------------------------
// Cells of edge 2r over the mesh's bounding box. Indices are clamped to the
// box, which keeps neighbour queries complete for points outside it (the
// clamp is monotonic, so a point within reach of a query box lands in the
// query's clamped range).

class CellFrame {
public:
    CellFrame() = default;
    CellFrame(const float* points, std::size_t count, double cellEdge) : edge_(cellEdge) {
        double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        for (std::size_t i = 0; i < count; ++i)
            for (int k = 0; k < 3; ++k) {
                const double v = points[3 * i + k];
                if (i == 0 || v < lo[k]) lo[k] = v;
                if (i == 0 || v > hi[k]) hi[k] = v;
            }
        for (int k = 0; k < 3; ++k) {
            origin_[k] = lo[k];
            const double cells = std::floor((hi[k] - lo[k]) / edge_) + 1.0;
            dims_[k] = cells < double(kMaxCells) ? static_cast<long long>(cells) : kMaxCells;
        }
    }

    // The floor of the position in cells, clamped to the grid. Past the
    // clamps the quotient is positive, where truncation is the floor (and
    // cheaper than a floor call).
    long long index(double v, int axis) const {
        const double q = (v - origin_[axis]) / edge_;
        if (!(q > 0.0)) return 0;
        if (q >= double(dims_[axis] - 1)) return dims_[axis] - 1;
        return static_cast<long long>(q);
    }

    u64 key(long long x, long long y, long long z) const {
        return static_cast<u64>(x) +
               static_cast<u64>(dims_[0]) *
                   (static_cast<u64>(y) + static_cast<u64>(dims_[1]) * static_cast<u64>(z));
    }

    u64 keyOf(const float* p) const { return key(index(p[0], 0), index(p[1], 1), index(p[2], 2)); }

    // Position of p's cell on a Z-order curve through the cells: nearby
    // cells mostly get nearby keys.
    u64 spaceKey(const double* p) const {
        return spreadBits(u64(index(p[0], 0))) | (spreadBits(u64(index(p[1], 1))) << 1) |
               (spreadBits(u64(index(p[2], 2))) << 2);
    }

    // Cells sharing y and z form a row; a cell's key is x + dims_x * row.
    u64 rowKey(long long y, long long z) const {
        return static_cast<u64>(y) + static_cast<u64>(dims_[1]) * static_cast<u64>(z);
    }
    u64 rowOf(u64 key) const { return key / static_cast<u64>(dims_[0]); }
    unsigned int xOf(u64 key) const {
        return static_cast<unsigned int>(key % static_cast<u64>(dims_[0]));
    }

    // Calls f(key) for the cells meeting the box [lo, hi].
    template <class F>
    void forCells(const double* lo, const double* hi, F&& f) const {
        const long long x0 = index(lo[0], 0), x1 = index(hi[0], 0);
        const long long y0 = index(lo[1], 1), y1 = index(hi[1], 1);
        const long long z0 = index(lo[2], 2), z1 = index(hi[2], 2);
        for (long long z = z0; z <= z1; ++z)
            for (long long y = y0; y <= y1; ++y)
                for (long long x = x0; x <= x1; ++x) f(key(x, y, z));
    }

    // Bound on spaceKey: three times the bits of the largest index.
    u64 spaceKeyLimit() const {
        const long long most = std::max({dims_[0], dims_[1], dims_[2]}) - 1;
        return u64(1) << (3 * log2Ceil(u64(most) + 1));
    }

    u64 keyCount() const {
        return static_cast<u64>(dims_[0]) * static_cast<u64>(dims_[1]) * static_cast<u64>(dims_[2]);
    }

private:
    static constexpr long long kMaxCells = 1ll << 20;
    double origin_[3] = {0, 0, 0};
    double edge_ = 1.0;
    long long dims_[3] = {1, 1, 1};
};

u64 slotHash(u64 key) {
    return key * 0x9E3779B97F4A7C15ull;
}

// A key and the index of what it keys. No member initialisers, so a table
// of them is written only once, where it is filled.
template <class Key>
struct Keyed {
    Key key;
    unsigned int index;
};

// Least-significant-digit radix sort of the n items by key (keys below
// `keyLimit`), in as few passes of at most 13 bits as the keys need.
template <class Key>
void radixSort(Keyed<Key>* items, std::size_t n, u64 keyLimit) {
    const unsigned int bits = log2Ceil(keyLimit);
    if (bits == 0 || n < 2) return;
    constexpr unsigned int kMaxDigit = 13;
    const unsigned int passes = (bits + kMaxDigit - 1) / kMaxDigit;
    const unsigned int digit = (bits + passes - 1) / passes;
    const u64 mask = (u64(1) << digit) - 1;
    std::unique_ptr<Keyed<Key>[]> other(new Keyed<Key>[n]);
    Keyed<Key>* from = items;
    Keyed<Key>* to = other.get();
    std::vector<std::size_t> offset((std::size_t(1) << digit) + 1);
    for (unsigned int shift = 0; shift < bits; shift += digit) {
        std::fill(offset.begin(), offset.end(), 0);
        for (std::size_t i = 0; i < n; ++i) ++offset[((from[i].key >> shift) & mask) + 1];
        for (std::size_t d = 1; d < offset.size(); ++d) offset[d] += offset[d - 1];
        for (std::size_t i = 0; i < n; ++i) to[offset[(from[i].key >> shift) & mask]++] = from[i];
        std::swap(from, to);
    }
    if (from != items) std::copy(from, from + n, items);
}

// Points sorted by cell, indexed by row of cells. A box query looks each row
// it crosses up once and reads the points of the row's cells inside the box
// as one run: cells of a row are adjacent in key order. Read-only between
// builds.
class RowIndex {
public:
    explicit RowIndex(const CellFrame& frame) : frame_(frame) {}

    // Replaces the contents with the n points of xyz.
    void build(const float* xyz, std::size_t n) {
        // Cell keys of 32 bits where they fit: half the memory to sort.
        if (frame_.keyCount() <= (u64(1) << 32))
            build<std::uint32_t>(xyz, n);
        else
            build<u64>(xyz, n);
    }

    // Calls run(points, count) for the runs of points in the cells meeting
    // the box [lo, hi] until it returns true; true when it did.
    template <class F>
    bool forBox(const double* lo, const double* hi, F&& run) const {
        if (rowKeys_.empty()) return false;
        const unsigned int x0 = static_cast<unsigned int>(frame_.index(lo[0], 0));
        const unsigned int x1 = static_cast<unsigned int>(frame_.index(hi[0], 0));
        const long long y0 = frame_.index(lo[1], 1), y1 = frame_.index(hi[1], 1);
        const long long z0 = frame_.index(lo[2], 2), z1 = frame_.index(hi[2], 2);
        for (long long z = z0; z <= z1; ++z)
            for (long long y = y0; y <= y1; ++y) {
                const u64 row = frame_.rowKey(y, z);
                u64 slot = slotHash(row) >> shift_;
                while (rowKeys_[slot] != kEmpty && rowKeys_[slot] != row) slot = (slot + 1) & mask_;
                if (rowKeys_[slot] == kEmpty) continue;
                const unsigned int* first = cellX_.data() + rowFirst_[slot];
                const unsigned int* end = cellX_.data() + rowEnd_[slot];
                const unsigned int* from = std::lower_bound(first, end, x0);
                const unsigned int* to = std::upper_bound(from, end, x1);
                if (from == to) continue;
                const unsigned int a = cellStart_[std::size_t(from - cellX_.data())];
                const unsigned int b = cellStart_[std::size_t(to - cellX_.data())];
                if (run(&sorted_[3 * std::size_t(a)], std::size_t(b - a))) return true;
            }
        return false;
    }

private:
    static constexpr u64 kEmpty = ~u64(0);

    // The tables are written once each, the large ones in parallel (memory
    // is touched for the first time where it is written).
    template <class Key>
    void build(const float* xyz, std::size_t n) {
        std::unique_ptr<Keyed<Key>[]> items(new Keyed<Key>[n]);
#pragma omp parallel for schedule(static)
        for (long long i = 0; i < static_cast<long long>(n); ++i)
            items[i] = {static_cast<Key>(frame_.keyOf(xyz + 3 * i)), static_cast<unsigned int>(i)};
        radixSort(items.get(), n, frame_.keyCount());

        sorted_.reset(new float[3 * n]);
#pragma omp parallel for schedule(static)
        for (long long i = 0; i < static_cast<long long>(n); ++i) {
            const float* p = xyz + 3 * std::size_t(items[std::size_t(i)].index);
            std::copy(p, p + 3, &sorted_[3 * std::size_t(i)]);
        }
        cellX_.clear();
        cellStart_.clear();
        cellX_.reserve(n);
        cellStart_.reserve(n + 1);
        std::size_t rows = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const u64 k = items[i].key;
            if (i > 0 && k == items[i - 1].key) continue;
            if (i == 0 || frame_.rowOf(k) != frame_.rowOf(items[i - 1].key)) ++rows;
            cellX_.push_back(frame_.xOf(k));
            cellStart_.push_back(static_cast<unsigned int>(i));
        }
        cellStart_.push_back(static_cast<unsigned int>(n));

        const unsigned int bits = std::max(4u, log2Ceil(2 * rows + 1));
        shift_ = 64 - bits;
        mask_ = (u64(1) << bits) - 1;
        rowKeys_.assign(mask_ + 1, kEmpty);
        rowFirst_.assign(mask_ + 1, 0);
        rowEnd_.assign(mask_ + 1, 0);
        std::size_t cell = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const u64 k = items[i].key;
            if (i > 0 && k == items[i - 1].key) continue;
            const u64 row = frame_.rowOf(k);
            if (i == 0 || row != frame_.rowOf(items[i - 1].key)) {
                u64 slot = slotHash(row) >> shift_;
                while (rowKeys_[slot] != kEmpty) slot = (slot + 1) & mask_;
                rowKeys_[slot] = row;
                rowFirst_[slot] = static_cast<unsigned int>(cell);
                last_ = slot;
            }
            rowEnd_[last_] = static_cast<unsigned int>(++cell);
        }
    }

    const CellFrame& frame_;
    std::unique_ptr<float[]> sorted_;      // 3 floats a point
    std::vector<unsigned int> cellX_;      // x index of every occupied cell, in key order
    std::vector<unsigned int> cellStart_;  // its first point; one more: the end
    std::vector<u64> rowKeys_;             // open addressing, row -> its cells
    std::vector<unsigned int> rowFirst_, rowEnd_;
    u64 mask_ = 0;
    unsigned int shift_ = 0;
    u64 last_ = 0;
};

// Points the fill added since its row index was last built, in cells
// chained through `next`; grows one point at a time (single writer, read in
// parallel between writes).
class AddedPoints {
public:
    explicit AddedPoints(const CellFrame& frame) : frame_(frame) { rehash(1024); }

    void insert(const float* p) {
        if (2 * (cells_ + 1) > keys_.size()) rehash(2 * keys_.size());
        xyz_.insert(xyz_.end(), p, p + 3);
        next_.push_back(-1);
        link(next_.size() - 1);
    }

    template <class F>
    void forCell(u64 key, F&& f) const {
        u64 s = slotHash(key) >> shift_;
        while (keys_[s] != kEmpty) {
            if (keys_[s] == key) {
                for (int i = head_[s]; i >= 0; i = next_[i]) f(&xyz_[3 * std::size_t(i)]);
                return;
            }
            s = (s + 1) & mask_;
        }
    }

    // Makes room for `more` points without rehashing on the way.
    void reserve(std::size_t more) {
        reserveMore(xyz_, 3 * more);
        reserveMore(next_, more);
        // Each point takes at most one cell.
        if (2 * (cells_ + more) > keys_.size()) rehash(2 * (cells_ + more));
    }

    bool empty() const { return next_.empty(); }
    std::size_t size() const { return next_.size(); }

    void clear() {
        xyz_.clear();
        next_.clear();
        rehash(1024);
    }

private:
    static constexpr u64 kEmpty = ~u64(0);

    void rehash(std::size_t slots) {
        const unsigned int bits = log2Ceil(slots);
        shift_ = 64 - bits;
        mask_ = (u64(1) << bits) - 1;
        keys_.assign(mask_ + 1, kEmpty);
        head_.assign(mask_ + 1, -1);
        cells_ = 0;
        for (std::size_t i = 0; i < next_.size(); ++i) link(i);
    }

    // Enters point i at the front of its cell's list, taking a slot for the
    // cell when it has none yet.
    void link(std::size_t i) {
        const u64 key = frame_.keyOf(&xyz_[3 * i]);
        u64 s = slotHash(key) >> shift_;
        while (keys_[s] != kEmpty && keys_[s] != key) s = (s + 1) & mask_;
        if (keys_[s] == kEmpty) {
            keys_[s] = key;
            ++cells_;
        }
        next_[i] = head_[s];
        head_[s] = static_cast<int>(i);
    }

    const CellFrame& frame_;
    std::vector<float> xyz_;
    std::vector<int> next_;
    std::vector<u64> keys_;
    std::vector<int> head_;
    std::size_t cells_ = 0;
    u64 mask_ = 0;
    unsigned int shift_ = 0;
};

// ---------------------------------------------------------------------------
// Triangles, pieces and the coverage test

// Whether p lies in the box [lo, hi].
bool inBox3(const float* p, const double* lo, const double* hi) {
    return p[0] >= lo[0] && p[0] <= hi[0] && p[1] >= lo[1] && p[1] <= hi[1] && p[2] >= lo[2] &&
           p[2] <= hi[2];
}

// A triangle's plane: A at the origin, e1 along AB, n the unit normal.
// No member initialisers, so a table of them is written only once, in
// parallel; Frame{} is the zero frame.
struct Frame {
    double a[3];
    double e1[3], e2[3], n[3];
    double b2[2], c2[2];  // B and C in plane coordinates
    double area;          // 0: the triangle is skipped
};

Frame frameOf(const float* pa, const float* pb, const float* pc) {
    Frame f{};
    double ab[3], ac[3], normal[3];
    for (int k = 0; k < 3; ++k) {
        f.a[k] = pa[k];
        ab[k] = double(pb[k]) - double(pa[k]);
        ac[k] = double(pc[k]) - double(pa[k]);
    }
    cross3(ab, ac, normal);
    const double twice = std::sqrt(dot3(normal, normal));
    const double lab = std::sqrt(dot3(ab, ab));
    if (!(twice > 0.0) || !std::isfinite(twice) || !(lab > 0.0)) return f;
    for (int k = 0; k < 3; ++k) {
        f.n[k] = normal[k] / twice;
        f.e1[k] = ab[k] / lab;
    }
    cross3(f.n, f.e1, f.e2);
    f.b2[0] = lab;
    f.c2[0] = dot3(ac, f.e1);
    f.c2[1] = dot3(ac, f.e2);
    f.area = 0.5 * twice;
    return f;
}

// 2^-e for 0 <= e < 1023, built from its bits.
double inversePowerOfTwo(unsigned int e) {
    const u64 bits = u64(1023 - e) << 52;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A piece of a triangle: corners in the triangle's (u, v) domain, kept as
// numerators over 2^level (a piece's children halve its edges), so they are
// exact and a piece takes 48 bytes: the fill holds one per few r^2 of
// surface.
struct Piece {
    static constexpr unsigned int kMaxFocus = 4;
    // Numerators of 32 bits hold corners down to this level.
    static constexpr unsigned int kMaxLevel = 30;
    // The triangle of a piece given up.
    static constexpr unsigned int kGivenUp = ~0u;

    unsigned int triangle = 0;
    unsigned char level = 0;
    // A piece whose darts were dropped is covered but within r of those
    // darts: its next test only looks there. They are the previous round's
    // dropped darts from focusFirst on. No focus: the whole piece.
    unsigned char focusCount = 0;
    unsigned int focusFirst = 0;
    unsigned int u[3] = {0, 0, 0}, v[3] = {0, 0, 0};
    u64 id = 0;  // names the piece for its randoms

    // The area of the piece of a triangle of area `whole`: exactly a
    // quarter of its parent's.
    double area(double whole) const {
        const double scale = inversePowerOfTwo(level);
        return whole * scale * scale;
    }
};

Piece rootPiece(unsigned int triangle, u64 seedKey) {
    Piece p;
    p.triangle = triangle;
    p.u[1] = 1;
    p.v[2] = 1;
    p.id = mix64(seedKey ^ mix64(triangle));
    return p;
}

// The four halves-of-edges children of a piece (level kMaxLevel at most).
std::array<Piece, 4> split(const Piece& p) {
    // At the next level a corner's numerators double and an edge's
    // midpoint's are the sums of its ends'.
    auto mid = [&](int i, int j, unsigned int& u, unsigned int& v) {
        u = p.u[i] + p.u[j];
        v = p.v[i] + p.v[j];
    };
    unsigned int u01, v01, u12, v12, u20, v20;
    mid(0, 1, u01, v01);
    mid(1, 2, u12, v12);
    mid(2, 0, u20, v20);
    const unsigned int corners[4][3][2] = {{{2 * p.u[0], 2 * p.v[0]}, {u01, v01}, {u20, v20}},
                                           {{u01, v01}, {2 * p.u[1], 2 * p.v[1]}, {u12, v12}},
                                           {{u20, v20}, {u12, v12}, {2 * p.u[2], 2 * p.v[2]}},
                                           {{u12, v12}, {u20, v20}, {u01, v01}}};
    std::array<Piece, 4> children;
    for (int c = 0; c < 4; ++c) {
        Piece& child = children[c];
        child.triangle = p.triangle;
        child.level = static_cast<unsigned char>(p.level + 1);
        for (int k = 0; k < 3; ++k) {
            child.u[k] = corners[c][k][0];
            child.v[k] = corners[c][k][1];
        }
        child.id = mix64(p.id + u64(c) + 1);
    }
    return children;
}

// A piece in its triangle's plane, with a bounding circle.
struct Shape {
    double q[3][2];
    double cx = 0, cy = 0, reach = 0;
};

// Sets the bounding circle from the corners: centred on the centroid.
void encircle(Shape& s) {
    s.cx = (s.q[0][0] + s.q[1][0] + s.q[2][0]) / 3.0;
    s.cy = (s.q[0][1] + s.q[1][1] + s.q[2][1]) / 3.0;
    s.reach = 0.0;
    for (int k = 0; k < 3; ++k) {
        const double dx = s.q[k][0] - s.cx, dy = s.q[k][1] - s.cy;
        s.reach = std::max(s.reach, std::sqrt(dx * dx + dy * dy));
    }
}

Shape shapeOf(const Frame& f, const Piece& p) {
    Shape s;
    const double scale = inversePowerOfTwo(p.level);
    for (int k = 0; k < 3; ++k) {
        const double u = p.u[k] * scale, v = p.v[k] * scale;
        s.q[k][0] = u * f.b2[0] + v * f.c2[0];
        s.q[k][1] = v * f.c2[1];
    }
    encircle(s);
    return s;
}

// Piece corner k in space.
void cornerOf(const Frame& f, const Shape& s, int k, double* out) {
    for (int a = 0; a < 3; ++a) out[a] = f.a[a] + s.q[k][0] * f.e1[a] + s.q[k][1] * f.e2[a];
}

using fill::CellGap;
using fill::Disk;
using fill::inDisk;
using fill::Point2;
using fill::PowerCells;

bool meets(const Disk& d, const Shape& s) {
    const double dx = d.x - s.cx, dy = d.y - s.cy, reach = s.reach + d.rho;
    return dx * dx + dy * dy < reach * reach;
}

constexpr std::size_t kNoDisk = std::numeric_limits<std::size_t>::max();

// Whether (x, y) lies in a disk other than `skipA` and `skipB`; the disk
// that covered the last spot is tried first.
bool coveredByOthers(const std::vector<Disk>& disks, double x, double y, std::size_t skipA,
                     std::size_t skipB, std::size_t& hint) {
    if (hint < disks.size() && hint != skipA && hint != skipB && inDisk(disks[hint], x, y))
        return true;
    for (std::size_t k = 0; k < disks.size(); ++k) {
        if (k == skipA || k == skipB) continue;
        if (inDisk(disks[k], x, y)) {
            hint = k;
            return true;
        }
    }
    return false;
}

// An uncovered spot of a piece and a direction in which the uncovered part
// goes on from it (plane coordinates).
struct Spot {
    double x = 0, y = 0;
    double dx = 0, dy = 0;
};

void setDirection(Spot& spot, double dx, double dy) {
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0) {
        spot.dx = dx / length;
        spot.dy = dy / length;
    }
}

// Walks the spots where an uncovered part of a piece can have a corner and
// reports those lying outside every disk but the ones they are made of.
// The uncovered part of a piece, when there is one, has such a corner: a
// piece corner, a crossing of a circle with a piece edge, or a crossing of
// two circles inside the piece. So when the walk ends without a report the
// piece is covered (ties at exactly distance r count as covered).
//
// The walk takes the disks in list order: the piece corners first, then for
// each disk its crossings with the edges and with every disk before it. A
// disk appended to the list (a dart placed in the piece) only adds spots
// after the walk's position, and spots passed stay covered as disks are
// added, so the walk goes on where it stopped instead of starting again.
class GapFinder {
public:
    // `partners` is scratch space.
    // Spots outside the box [focusLow, focusHigh] (plane coordinates) are
    // known to be covered and skipped; null: no such box.
    GapFinder(const Shape& s, const std::vector<Disk>& disks, std::vector<unsigned int>& partners,
              const double* focusLow = nullptr, const double* focusHigh = nullptr)
        : s_(s), disks_(disks), partners_(partners) {
        const double ox = s.q[1][0] - s.q[0][0], oy = s.q[1][1] - s.q[0][1];
        const double px = s.q[2][0] - s.q[0][0], py = s.q[2][1] - s.q[0][1];
        orientation_ = ox * py - oy * px;
        for (int a = 0; a < 2; ++a) {
            low_[a] = std::min({s.q[0][a], s.q[1][a], s.q[2][a]});
            high_[a] = std::max({s.q[0][a], s.q[1][a], s.q[2][a]});
            if (focusLow != nullptr) {
                low_[a] = std::max(low_[a], focusLow[a]);
                high_[a] = std::min(high_[a], focusHigh[a]);
            }
        }
    }

    // The next uncovered spot, or false when none is left. The spot
    // reported stays the walk's position: the next call tests it again.
    bool next(Spot& spot) {
        if (owner_ < 0) {
            if (sub_ == 0) {
                for (const Disk& d : disks_) {
                    if (inDisk(d, s_.q[0][0], s_.q[0][1]) && inDisk(d, s_.q[1][0], s_.q[1][1]) &&
                        inDisk(d, s_.q[2][0], s_.q[2][1])) {
                        owner_ = kDone;  // disks are convex
                        return false;
                    }
                }
            }
            for (; sub_ < 3; ++sub_) {
                const double x = s_.q[sub_][0], y = s_.q[sub_][1];
                if (!inBox(x, y) || coveredByOthers(disks_, x, y, kNoDisk, kNoDisk, hint_))
                    continue;
                spot.x = x;
                spot.y = y;
                setDirection(spot, s_.cx - x, s_.cy - y);
                return true;
            }
            owner_ = 0;
            sub_ = 0;
        }
        for (; owner_ >= 0 && std::size_t(owner_) < disks_.size(); ++owner_, sub_ = 0) {
            const std::size_t m = std::size_t(owner_);
            // A disk whose box misses the box has no spot in it.
            const Disk& owner = disks_[m];
            if (owner.x - owner.rho > high_[0] || owner.x + owner.rho < low_[0] ||
                owner.y - owner.rho > high_[1] || owner.y + owner.rho < low_[1])
                continue;
            for (; sub_ < 6; sub_ = (sub_ | 1) + 1)
                if (edgeSpot(m, sub_ / 2, sub_ % 2, spot)) return true;
            if (sub_ >= 6 + 2 * owner_) continue;
            // The disks before m (from the walk's position on) whose circle
            // crosses m's where the piece may be: the crossings lie in both
            // disks' boxes. Picked without branches, as most are not.
            const Disk& dm = disks_[m];
            const std::size_t from = std::size_t((sub_ - 6) / 2);
            partners_.resize(m - from);
            std::size_t count = 0;
            for (std::size_t i = from; i < m; ++i) {
                const Disk& di = disks_[i];
                const double dx = di.x - dm.x, dy = di.y - dm.y, sum = di.rho + dm.rho;
                const bool crosses = dx * dx + dy * dy < sum * sum;
                const bool inBox = (std::max(di.x - di.rho, dm.x - dm.rho) <= high_[0]) &
                                   (std::min(di.x + di.rho, dm.x + dm.rho) >= low_[0]) &
                                   (std::max(di.y - di.rho, dm.y - dm.rho) <= high_[1]) &
                                   (std::min(di.y + di.rho, dm.y + dm.rho) >= low_[1]);
                partners_[count] = static_cast<unsigned int>(i);
                count += (crosses & inBox) ? 1 : 0;
            }
            const long long firstSign = sub_ % 2;
            for (std::size_t k = 0; k < count; ++k) {
                const std::size_t i = partners_[k];
                if (pairSpot(i, m, i == from ? firstSign : 0, spot)) return true;
            }
        }
        return false;
    }

private:
    static constexpr long long kDone = std::numeric_limits<long long>::max();

    // Crossings of circle m with edge e, from root `first` on; sets sub_ to
    // the one reported.
    bool edgeSpot(std::size_t m, long long e, long long first, Spot& spot) {
        const double* a = s_.q[e];
        const double* b = s_.q[(e + 1) % 3];
        const Disk& d = disks_[m];
        const double dx = b[0] - a[0], dy = b[1] - a[1];
        const double aa = dx * dx + dy * dy;
        if (!(aa > 0.0)) return false;
        const double fx = a[0] - d.x, fy = a[1] - d.y;
        const double bb = fx * dx + fy * dy;
        const double cc = fx * fx + fy * fy - d.rho2;
        const double disc = bb * bb - aa * cc;
        if (disc < 0.0) return false;
        const double root = std::sqrt(disc);
        // Crossing k at t = along[k] / aa, on the edge for t in [0, 1].
        const double along[2] = {-bb - root, -bb + root};
        for (long long k = first; k < 2; ++k) {
            if (along[k] < 0.0 || along[k] > aa) continue;
            const double t = along[k] / aa;
            const double x = a[0] + t * dx, y = a[1] + t * dy;
            if (!inBox(x, y) || coveredByOthers(disks_, x, y, m, kNoDisk, hint_)) continue;
            // Out of the disk and into the piece.
            spot.x = x;
            spot.y = y;
            const double ox = x - d.x, oy = y - d.y;
            const double ol = std::sqrt(ox * ox + oy * oy);
            const double cx = s_.cx - x, cy = s_.cy - y;
            const double cl = std::sqrt(cx * cx + cy * cy);
            setDirection(spot, (ol > 0 ? ox / ol : 0) + (cl > 0 ? cx / cl : 0),
                         (ol > 0 ? oy / ol : 0) + (cl > 0 ? cy / cl : 0));
            sub_ = 2 * e + k;
            return true;
        }
        return false;
    }

    // Crossings of circles i and j (i < j), from the one of sign `first` on;
    // sets sub_ to the one reported.
    bool pairSpot(std::size_t i, std::size_t j, long long first, Spot& spot) {
        const Disk& di = disks_[i];
        const Disk& dj = disks_[j];
        const double dx = dj.x - di.x, dy = dj.y - di.y;
        const double d2 = dx * dx + dy * dy;
        const double sum = di.rho + dj.rho, diff = di.rho - dj.rho;
        if (d2 >= sum * sum || d2 <= diff * diff) return false;
        const double inverse = 1.0 / std::sqrt(d2);
        const double ux = dx * inverse, uy = dy * inverse;  // from i towards j
        const double along = 0.5 * (di.rho2 - dj.rho2 + d2) * inverse;
        const double h = std::sqrt(std::max(0.0, di.rho2 - along * along));
        const double mx = di.x + along * ux, my = di.y + along * uy;
        const double hx = -uy * h, hy = ux * h;
        for (long long k = first; k < 2; ++k) {
            const double sign = k == 0 ? -1.0 : 1.0;
            const double x = mx + sign * hx, y = my + sign * hy;
            if (!inBox(x, y) || !inside(x, y) || coveredByOthers(disks_, x, y, i, j, hint_))
                continue;
            // Between the two circles, away from both centres.
            spot.x = x;
            spot.y = y;
            setDirection(spot, (x - di.x) / di.rho + (x - dj.x) / dj.rho,
                         (y - di.y) / di.rho + (y - dj.y) / dj.rho);
            sub_ = 6 + 2 * static_cast<long long>(i) + k;
            return true;
        }
        return false;
    }

    bool inBox(double x, double y) const {
        return x >= low_[0] && x <= high_[0] && y >= low_[1] && y <= high_[1];
    }

    bool inside(double x, double y) const {
        for (int e = 0; e < 3; ++e) {
            const double* a = s_.q[e];
            const double* b = s_.q[(e + 1) % 3];
            const double side = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]);
            if (side * orientation_ < 0.0) return false;
        }
        return true;
    }

    const Shape& s_;
    const std::vector<Disk>& disks_;
    std::vector<unsigned int>& partners_;
    double orientation_ = 0;
    double low_[2] = {0, 0}, high_[2] = {0, 0};
    long long owner_ = -1;  // -1: the piece corners; then the disk whose spots are walked
    long long sub_ = 0;     // corner; or edge crossing 2 e + root, then pair 6 + 2 i + sign
    std::size_t hint_ = 0;
};

// A dart that landed: its position and (u, v) in its triangle.
struct Dart {
    float position[3] = {0, 0, 0};
    float u = 0, v = 0;
    bool dropped = false;  // set when settlement drops it
};

// Distances from an uncovered spot, in r, at which a dart is tried, farthest
// first: the farther a free dart lies from the points around the gap, the
// more of the gap its ball covers.
constexpr double kDartSteps[] = {0.3, 0.1, 0.03, 0.01, 0.003};
// Directions tried from a spot: its own, then turned by this angle (radians)
// to either side, then by twice it.
constexpr int kDartTurns = 5;
constexpr double kDartTurnAngle = 0.6;

// Everything the fill reads while it runs.
struct FillContext {
    const ScatterMesh* mesh = nullptr;
    double r = 0, r2 = 0;
    CellFrame cells;
    const RowIndex* fixed = nullptr;      // the points given
    const RowIndex* settled = nullptr;    // added points, as of the last build
    const AddedPoints* recent = nullptr;  // added points since
    // The darts dropped in the previous round, by piece, in piece order.
    const std::vector<std::pair<std::size_t, Dart>>* focusDarts = nullptr;

    // Whether a point lies within r of p: any point, or only added ones.
    bool takenNear(const float* p, bool includeFixed) const {
        const double lo[3] = {p[0] - r, p[1] - r, p[2] - r};
        const double hi[3] = {p[0] + r, p[1] + r, p[2] + r};
        auto near = [&](const float* q) {
            const double dx = double(p[0]) - q[0], dy = double(p[1]) - q[1],
                         dz = double(p[2]) - q[2];
            return dx * dx + dy * dy + dz * dz <= r2;
        };
        auto nearRun = [&](const float* q, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i)
                if (near(q + 3 * i)) return true;
            return false;
        };
        if (includeFixed && fixed->forBox(lo, hi, nearRun)) return true;
        if (settled->forBox(lo, hi, nearRun)) return true;
        if (recent->empty()) return false;
        bool taken = false;
        cells.forCells(lo, hi, [&](u64 key) {
            if (!taken) recent->forCell(key, [&](const float* q) { taken = taken || near(q); });
        });
        return taken;
    }

    // Tries darts from an uncovered spot of a piece of triangle `triangle`
    // into its gap, at the steps' distances scaled by `jitter`, along the
    // spot's direction and then turned from it, until one lands (see land).
    bool placeDart(unsigned int triangle, const Frame& f, const Spot& spot, double jitter,
                   const std::vector<Disk>& disks, const float* placed, std::size_t count,
                   Dart& dart) const {
        for (int turn = 0; turn < kDartTurns; ++turn) {
            // The spot's direction first, then turned to either side.
            const double angle = kDartTurnAngle * ((turn + 1) / 2) * (turn % 2 == 1 ? 1.0 : -1.0);
            const double wx = spot.dx * std::cos(angle) - spot.dy * std::sin(angle);
            const double wy = spot.dx * std::sin(angle) + spot.dy * std::cos(angle);
            for (const double step : kDartSteps) {
                const double x = spot.x + step * jitter * r * wx;
                const double y = spot.y + step * jitter * r * wy;
                if (land(triangle, f, x, y, 0.0, disks, placed, count, dart)) return true;
            }
        }
        return false;
    }

    // Lands a dart at (x, y) in the plane of triangle `triangle`: true when
    // (x, y) lies in the triangle (or within `slack` of its (u, v) range,
    // then moved onto it) and in none of `disks` (those of the points
    // around it), and the dart, in single precision, lies farther than r
    // from every point and from the `count` points `placed` (3 floats each:
    // the darts placed this round around the piece).
    bool land(unsigned int triangle, const Frame& f, double x, double y, double slack,
              const std::vector<Disk>& disks, const float* placed, std::size_t count,
              Dart& dart) const {
        // The disks around the spot settle most tries without a search.
        for (const Disk& d : disks)
            if (inDisk(d, x, y)) return false;
        // Plane coordinates to (u, v): q = u B + v C with A at 0.
        double v = y / f.c2[1];
        double u = (x - v * f.c2[0]) / f.b2[0];
        if (!(u >= -slack && v >= -slack && u + v <= 1.0 + slack)) return false;
        u = std::max(u, 0.0);
        v = std::max(v, 0.0);
        if (u + v > 1.0) {
            const double sum = u + v;
            u /= sum;
            v /= sum;
        }
        const unsigned int* corner = mesh->triangles + 3 * std::size_t(triangle);
        const float* a = mesh->points + 3 * std::size_t(corner[0]);
        const float* b = mesh->points + 3 * std::size_t(corner[1]);
        const float* c = mesh->points + 3 * std::size_t(corner[2]);
        dart.u = static_cast<float>(u);
        dart.v = static_cast<float>(v);
        for (int axis = 0; axis < 3; ++axis)
            dart.position[axis] =
                a[axis] + (b[axis] - a[axis]) * dart.u + (c[axis] - a[axis]) * dart.v;
        if (takenNear(dart.position, true)) return false;
        for (std::size_t k = 0; k < count; ++k) {
            const float* q = placed + 3 * k;
            const double dx = double(dart.position[0]) - q[0], dy = double(dart.position[1]) - q[1],
                         dz = double(dart.position[2]) - q[2];
            if (dx * dx + dy * dy + dz * dz <= r2) return false;
        }
        return true;
    }

    // The area below which an uncovered piece of triangle t is given up:
    // the fill's tolerance, or, far from the origin, the square of the
    // spacing of single-precision coordinates there (a dart is stored in
    // single precision, so a gap narrower than that spacing may hold no
    // position a dart could take, and splitting it further only costs).
    double giveUpArea(std::size_t t, double tolerance) const {
        const unsigned int* corner = mesh->triangles + 3 * t;
        double largest = 0.0;
        for (int k = 0; k < 3; ++k) {
            const float* c = mesh->points + 3 * std::size_t(corner[k]);
            largest = std::max({largest, double(std::fabs(c[0])), double(std::fabs(c[1])),
                                double(std::fabs(c[2]))});
        }
        const double spacing = double(std::numeric_limits<float>::epsilon()) * largest;
        return std::max(tolerance, spacing * spacing);
    }

    // The plane of triangle t; the zero frame (area 0) when it has a corner
    // out of range or no area. Worked out where needed rather than kept in a
    // table: each plane is read about once per piece, and a table's first
    // touch of its memory costs more than working the plane out again.
    Frame frameOfTriangle(std::size_t t) const {
        const unsigned int* corner = mesh->triangles + 3 * t;
        if (corner[0] >= mesh->pointCount || corner[1] >= mesh->pointCount ||
            corner[2] >= mesh->pointCount)
            return Frame{};
        return frameOf(mesh->points + 3 * std::size_t(corner[0]),
                       mesh->points + 3 * std::size_t(corner[1]),
                       mesh->points + 3 * std::size_t(corner[2]));
    }

    // The disk the ball around p cuts from the triangle's plane; false when
    // the ball misses the plane.
    bool diskOf(const Frame& f, const float* p, Disk& disk) const {
        const double d[3] = {p[0] - f.a[0], p[1] - f.a[1], p[2] - f.a[2]};
        const double h = dot3(d, f.n);
        const double rho2 = r2 - h * h;
        if (!(rho2 > 0.0)) return false;
        disk = Disk{dot3(d, f.e1), dot3(d, f.e2), rho2, std::sqrt(rho2)};
        return true;
    }

    // The box (plane coordinates) around the disks of a piece's dropped
    // darts, where its next test looks; false when it has none, or a dart's
    // ball misses the plane: then the whole piece is tested.
    bool focusBox(const Frame& f, const Piece& p, double* low, double* high) const {
        for (unsigned int k = 0; k < p.focusCount; ++k) {
            Disk d{};
            if (!diskOf(f, (*focusDarts)[p.focusFirst + k].second.position, d)) return false;
            const double dl[2] = {d.x - d.rho, d.y - d.rho};
            const double dh[2] = {d.x + d.rho, d.y + d.rho};
            for (int a = 0; a < 2; ++a) {
                low[a] = k == 0 ? dl[a] : std::min(low[a], dl[a]);
                high[a] = k == 0 ? dh[a] : std::max(high[a], dh[a]);
            }
        }
        return p.focusCount > 0;
    }

    // The box around a piece's corners, grown by r on every side: every
    // point within r of the piece lies in it.
    void reachBox(const Frame& f, const Shape& s, double* lo, double* hi) const {
        for (int k = 0; k < 3; ++k) {
            double c[3];
            cornerOf(f, s, k, c);
            for (int a = 0; a < 3; ++a) {
                lo[a] = k == 0 ? c[a] : std::min(lo[a], c[a]);
                hi[a] = k == 0 ? c[a] : std::max(hi[a], c[a]);
            }
        }
        for (int a = 0; a < 3; ++a) {
            lo[a] -= r;
            hi[a] += r;
        }
    }

    // The points (3 floats each) of the cells meeting the box [lo, hi].
    void pointsIn(const double* lo, const double* hi, std::vector<float>& out) const {
        out.clear();
        auto takeRun = [&](const float* p, std::size_t count) {
            out.insert(out.end(), p, p + 3 * count);
            return false;
        };
        fixed->forBox(lo, hi, takeRun);
        settled->forBox(lo, hi, takeRun);
        if (recent->empty()) return;
        cells.forCells(lo, hi, [&](u64 key) {
            recent->forCell(key, [&](const float* p) { out.insert(out.end(), p, p + 3); });
        });
    }

    // Calls take(k, disk) for each of the `count` points (3 floats each)
    // whose disk in the piece's plane meets the piece's bounding circle. Such
    // a point lies within reach + r of the circle's centre (the disk's radius
    // squared and the point's height over the plane squared add up to r^2),
    // so the rest are skipped before their disk is computed.
    template <class Take>
    void disksMeeting(const Frame& f, const Shape& s, const float* points, std::size_t count,
                      Take take) const {
        double c[3];
        for (int a = 0; a < 3; ++a) c[a] = f.a[a] + s.cx * f.e1[a] + s.cy * f.e2[a];
        const double limit = (s.reach + r) * (s.reach + r) * (1.0 + 1e-9);
        fill::forPointsNear(points, count, c, limit, [&](std::size_t k) {
            const float* p = points + 3 * k;
            Disk disk{};
            if (diskOf(f, p, disk) && meets(disk, s)) take(k, disk);
        });
    }
};

// Splits a piece of a triangle of area `whole` until its parts are no
// larger than `area` (or as deep as pieces go), writing them from `out` on;
// returns the end of what it wrote.
Piece* splitDown(const Piece& piece, double whole, double area, Piece* out) {
    if (piece.area(whole) <= area || piece.level == Piece::kMaxLevel) {
        *out = piece;
        return out + 1;
    }
    for (const Piece& child : split(piece)) out = splitDown(child, whole, area, out);
    return out;
}

// How many parts splitDown cuts a triangle of area `whole` into.
std::size_t partsOf(double whole, double area) {
    std::size_t parts = 1;
    for (unsigned int level = 0; whole > area && level < Piece::kMaxLevel; ++level) {
        whole *= 0.25;
        parts *= 4;
    }
    return parts;
}

// Items a parallel block takes.
constexpr std::size_t kBlock = 512;

// Runs `body(item, out)` over [0, count) in parallel blocks and concatenates
// the blocks' outputs in item order.
template <class T, class Body>
std::vector<T> parallelCollect(std::size_t count, Body body) {
    const std::size_t blocks = (count + kBlock - 1) / kBlock;
    std::vector<std::vector<T>> parts(blocks);
#pragma omp parallel for schedule(dynamic, 1)
    for (long long b = 0; b < static_cast<long long>(blocks); ++b) {
        const std::size_t end = std::min(count, std::size_t(b + 1) * kBlock);
        for (std::size_t i = std::size_t(b) * kBlock; i < end; ++i) body(i, parts[std::size_t(b)]);
    }
    std::size_t total = 0;
    for (const auto& part : parts) total += part.size();
    std::vector<T> all;
    all.reserve(total);
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// What a piece's turn in a round ended with.
struct Outcome {
    enum State : unsigned char {
        kCovered,  // no gap left, given the darts it placed
        kMissed,   // a gap had no room for a dart
        kBusy      // placed its quota of darts
    } state = kCovered;
    unsigned int firstDart = 0, darts = 0;  // its darts, in its block's list
    // The earlier pieces' darts of its block its disks included, in its
    // block's list of those.
    unsigned int firstBorrowed = 0, borrowed = 0;
};

// Pieces get their first test once no larger than this (in r^2).
constexpr double kPieceArea = 16.0;
// Neighbouring pieces read the points around them together: at most this
// many, in a box of at most this edge (in r).
constexpr std::size_t kGroupPieces = 16;
constexpr double kGroupReach = 8.0;
// Darts one piece places in one round at most.
constexpr unsigned int kDartsPerTurn = 32;
// Pieces go on while their darts clash with other pieces' or their gaps
// need splitting; this only bounds a runaway.
constexpr unsigned int kMaxRounds = 1000;

// A triangle of a piece's subdivision (plane coordinates) and, per corner,
// the disks that hold it (bit k: disk k).
struct Patch {
    double q[3][2];
    u64 holders[3];
};

// The disks of a piece laid out for testing many points against all of
// them (at most 64, padded to an even count with disks that hold nothing).
class DiskRows {
public:
    static constexpr std::size_t kMax = 64;

    void assign(const std::vector<Disk>& disks) {
        count_ = disks.size();
        for (std::size_t k = 0; k < count_; ++k) {
            x_[k] = disks[k].x;
            y_[k] = disks[k].y;
            rho2_[k] = disks[k].rho2;
        }
        if (count_ % 2 == 1) {
            x_[count_] = y_[count_] = 0.0;
            rho2_[count_] = -1.0;
        }
    }

    // The disks holding (x, y), bit k for disk k: the same test as inDisk.
    u64 holders(double x, double y) const {
        u64 bits = 0;
#if defined(__SSE2__)
        const __m128d px = _mm_set1_pd(x), py = _mm_set1_pd(y);
        for (std::size_t k = 0; k < count_; k += 2) {
            const __m128d dx = _mm_sub_pd(px, _mm_load_pd(x_ + k));
            const __m128d dy = _mm_sub_pd(py, _mm_load_pd(y_ + k));
            const __m128d d2 = _mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy));
            bits |= u64(_mm_movemask_pd(_mm_cmple_pd(d2, _mm_load_pd(rho2_ + k)))) << k;
        }
#else
        for (std::size_t k = 0; k < count_; ++k) {
            const double dx = x - x_[k], dy = y - y_[k];
            bits |= u64(dx * dx + dy * dy <= rho2_[k] ? 1 : 0) << k;
        }
#endif
        return bits;
    }

private:
    std::size_t count_ = 0;
    alignas(16) double x_[kMax], y_[kMax], rho2_[kMax];
};

// A patch no longer than this (in r) on its longest edge is walked exactly
// when no disk or pair of disks holds it.
constexpr double kPatchEdge = 0.7;
// Patches longer than this (in r) are split without trying pairs of disks:
// two disks almost never hold them.
constexpr double kPairEdge = 3.0;
// Subdivision stops at this many open patches: the piece is walked whole.
constexpr std::size_t kMaxOpenPatches = 48;

double squaredDistance(const double* a, const double* b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    return dx * dx + dy * dy;
}

// Index of the lowest set bit of a non-zero mask.
unsigned int lowestBit(u64 bits) {
#if defined(__GNUC__) || defined(__clang__)
    return static_cast<unsigned int>(__builtin_ctzll(bits));
#else
    unsigned int k = 0;
    for (; (bits & 1) == 0; bits >>= 1) ++k;
    return k;
#endif
}

// The patch's corners that disk k holds (bit c: corner c).
unsigned int cornersIn(const Patch& t, unsigned int k) {
    return unsigned(t.holders[0] >> k & 1u) | unsigned(t.holders[1] >> k & 1u) << 1 |
           unsigned(t.holders[2] >> k & 1u) << 2;
}

// Whether two of the disks together hold the patch: one holding its first
// corner and one holding the corners the first does not.
bool heldByTwo(const Patch& t, const std::vector<Disk>& disks) {
    if (t.holders[0] == 0 || t.holders[1] == 0 || t.holders[2] == 0) return false;
    for (u64 as = t.holders[0]; as != 0; as &= as - 1) {
        const unsigned int a = lowestBit(as);
        const u64 bit = u64(1) << a;
        u64 bs = ~u64(0);
        for (int k = 1; k < 3; ++k)
            if ((t.holders[k] & bit) == 0) bs &= t.holders[k];
        if (bs == ~u64(0)) return true;  // a holds every corner
        // Disks that do not overlap share no point, so no patch edge can
        // pass from one to the other: such pairs (a quarter of those tried)
        // are passed over before the exact test.
        const Disk& da = disks[a];
        // A lower b that holds the first corner too was paired with a
        // already, when it was the first disk.
        for (bs &= ~(t.holders[0] & (bit - 1)); bs != 0; bs &= bs - 1) {
            const unsigned int b = lowestBit(bs);
            const Disk& db = disks[b];
            const double dx = db.x - da.x, dy = db.y - da.y, reach = da.rho + db.rho;
            if (!(dx * dx + dy * dy < reach * reach)) continue;
            if (fill::inDiskPair(t.q, da, db, cornersIn(t, a), cornersIn(t, b))) return true;
        }
    }
    return false;
}

// Splits a piece into the patches that no single disk or pair of disks
// holds: a triangle whose three corners lie in one disk lies in it (disks
// are convex), so only the others need the exact walk. Triangles are halved
// across their longest edge until they are held or short enough. False when
// the piece has too many disks to track, or too many open patches: then it
// is walked whole.
bool openPatches(const Shape& s, const std::vector<Disk>& disks, double r, DiskRows& rows,
                 std::vector<Patch>& stack, std::vector<Patch>& open) {
    open.clear();
    if (disks.size() > DiskRows::kMax) return false;
    rows.assign(disks);
    const double limit = kPatchEdge * kPatchEdge * r * r;
    const double pairLimit = kPairEdge * kPairEdge * r * r;
    stack.clear();
    Patch root;
    for (int k = 0; k < 3; ++k) {
        root.q[k][0] = s.q[k][0];
        root.q[k][1] = s.q[k][1];
        root.holders[k] = rows.holders(s.q[k][0], s.q[k][1]);
    }
    stack.push_back(root);
    while (!stack.empty()) {
        Patch t = stack.back();
        stack.pop_back();
        // Depth first: the first half goes on in t, the second waits on the
        // stack.
        for (;;) {
            if ((t.holders[0] & t.holders[1] & t.holders[2]) != 0) break;
            // The longest edge, from corner e to corner e + 1 (the first of
            // equal ones).
            const double l0 = squaredDistance(t.q[0], t.q[1]);
            const double l1 = squaredDistance(t.q[1], t.q[2]);
            const double l2 = squaredDistance(t.q[2], t.q[0]);
            int e = 0;
            double longest = l0;
            if (l1 > longest) {
                longest = l1;
                e = 1;
            }
            if (l2 > longest) {
                longest = l2;
                e = 2;
            }
            if (longest < pairLimit && heldByTwo(t, disks)) break;
            if (longest <= limit) {
                if (open.size() == kMaxOpenPatches) return false;
                open.push_back(t);
                break;
            }
            const int a = e, b = e == 2 ? 0 : e + 1;
            const double mx = 0.5 * (t.q[a][0] + t.q[b][0]), my = 0.5 * (t.q[a][1] + t.q[b][1]);
            const u64 mh = rows.holders(mx, my);
            stack.push_back(t);
            Patch& second = stack.back();
            second.q[a][0] = mx;
            second.q[a][1] = my;
            second.holders[a] = mh;
            t.q[b][0] = mx;
            t.q[b][1] = my;
            t.holders[b] = mh;
        }
    }
    return true;
}

Shape shapeOfPatch(const Patch& t) {
    Shape s;
    for (int k = 0; k < 3; ++k) {
        s.q[k][0] = t.q[k][0];
        s.q[k][1] = t.q[k][1];
    }
    encircle(s);
    return s;
}

// Boxes around runs of consecutive darts of a block. The pieces of a block
// follow a space-filling curve, so a run's darts lie close together and a
// group of pieces passes over most runs with one box test.
class DartRuns {
public:
    void clear() {
        boxes_.clear();
        counted_ = 0;
    }

    // Calls take(k) for every dart k of `darts` (in order) inside [lo, hi].
    template <class Take>
    void forBox(const std::vector<Dart>& darts, const double* lo, const double* hi, Take take) {
        for (; counted_ < darts.size(); ++counted_) {
            const float* p = darts[counted_].position;
            if (counted_ % kRun == 0) {
                boxes_.push_back({p[0], p[1], p[2], p[0], p[1], p[2]});
                continue;
            }
            std::array<float, 6>& box = boxes_.back();
            for (int a = 0; a < 3; ++a) {
                box[a] = std::min(box[a], p[a]);
                box[3 + a] = std::max(box[3 + a], p[a]);
            }
        }
        for (std::size_t run = 0; run < boxes_.size(); ++run) {
            const std::array<float, 6>& box = boxes_[run];
            if (box[0] > hi[0] || box[1] > hi[1] || box[2] > hi[2] || box[3] < lo[0] ||
                box[4] < lo[1] || box[5] < lo[2])
                continue;
            const std::size_t end = std::min(darts.size(), (run + 1) * kRun);
            for (std::size_t k = run * kRun; k < end; ++k)
                if (inBox3(darts[k].position, lo, hi)) take(k);
        }
    }

private:
    static constexpr std::size_t kRun = 16;
    std::vector<std::array<float, 6>> boxes_;  // low and high corner of each run
    std::size_t counted_ = 0;                  // darts the boxes hold
};

// Scratch space of one thread's piece walks.
struct WalkScratch {
    std::vector<unsigned int> partners;
    std::vector<Patch> stack, open;
    std::vector<Disk> local;
    DiskRows rows;
    std::vector<Point2> region;
    PowerCells cells;
    // The darts placed this round by the block's pieces that lie in the
    // current group's box: positions (3 floats each) and their indices in
    // the block's list.
    std::vector<float> placed;
    std::vector<unsigned int> placedIndex;
    DartRuns runs;  // of the current block's darts
};

// When no dart from a spot finds room (the gap is narrow there): lands one
// at the spot of the walked part farthest from every point, moved by the
// seed's randoms by at most half its room, or failing that at the spot
// itself. False when the part is covered after all (the spot was within
// rounding of a circle) or no dart lands.
bool landFarthest(const FillContext& ctx, const Piece& p, const Frame& f, const Shape& part,
                  const std::vector<Disk>& disks, u64 bits, WalkScratch& scratch, Dart& dart) {
    std::vector<Point2>& region = scratch.region;
    region.clear();
    for (int k = 0; k < 3; ++k) region.push_back({part.q[k][0], part.q[k][1]});
    CellGap gap;
    if (!scratch.cells.farthestGap(disks, region, gap)) return false;
    // The spot lies r + room from the nearest point.
    const double room = std::sqrt(ctx.r2 + gap.least) - ctx.r;
    const double reach = 0.5 * std::min(room, 0.5 * ctx.r) * unitFrom(mix64(bits));
    const double angle = 6.283185307179586 * unitFrom(mix64(bits + 1));
    const float* placed = scratch.placed.data();
    const std::size_t count = scratch.placed.size() / 3;
    constexpr double kSnap = 1e-9;  // (u, v) rounding at the triangle's edges
    return ctx.land(p.triangle, f, gap.x + reach * std::cos(angle), gap.y + reach * std::sin(angle),
                    kSnap, disks, placed, count, dart) ||
           ctx.land(p.triangle, f, gap.x, gap.y, kSnap, disks, placed, count, dart);
}

// One piece's turn: from every uncovered spot it tries darts into the gap,
// and a dart that lands joins the piece's disks, until the piece is covered,
// a gap has no room for a dart, or it placed its quota. Only the patches no
// disk or pair of disks holds are walked, each with the disks that meet it.
void walkPiece(const FillContext& ctx, const Piece& p, const Frame& f, const Shape& shape,
               u64 roundKey, std::vector<Disk>& disks, WalkScratch& scratch, Outcome& outcome,
               std::vector<Dart>& darts) {
    // A focused piece is tested near its dropped darts only.
    double focusLow[2], focusHigh[2];
    const bool focused = ctx.focusBox(f, p, focusLow, focusHigh);
    const bool split = openPatches(shape, disks, ctx.r, scratch.rows, scratch.stack, scratch.open);
    const std::size_t walks = split ? scratch.open.size() : 1;
    for (std::size_t w = 0; w < walks; ++w) {
        Shape part = shape;
        const std::vector<Disk>* walked = &disks;
        if (split) {
            part = shapeOfPatch(scratch.open[w]);
            if (focused &&
                (part.cx + part.reach < focusLow[0] || part.cx - part.reach > focusHigh[0] ||
                 part.cy + part.reach < focusLow[1] || part.cy - part.reach > focusHigh[1]))
                continue;
            scratch.local.clear();
            for (const Disk& d : disks)
                if (meets(d, part)) scratch.local.push_back(d);
            walked = &scratch.local;
        }
        GapFinder finder(part, *walked, scratch.partners, focused ? focusLow : nullptr,
                         focused ? focusHigh : nullptr);
        Spot spot;
        while (finder.next(spot)) {
            if (outcome.darts == kDartsPerTurn) {
                outcome.state = Outcome::kBusy;
                return;
            }
            Dart dart;
            const u64 bits = mix64(p.id ^ mix64(roundKey + outcome.darts));
            const double jitter = 0.7 + 0.6 * unitFrom(bits);
            if (!ctx.placeDart(p.triangle, f, spot, jitter, *walked, scratch.placed.data(),
                               scratch.placed.size() / 3, dart) &&
                !landFarthest(ctx, p, f, part, *walked, bits, scratch, dart)) {
                outcome.state = Outcome::kMissed;
                return;
            }
            darts.push_back(dart);
            ++outcome.darts;
            // It lies in the piece, so in the group's box.
            scratch.placed.insert(scratch.placed.end(), dart.position, dart.position + 3);
            scratch.placedIndex.push_back(static_cast<unsigned int>(darts.size() - 1));
            Disk disk{};
            if (ctx.diskOf(f, dart.position, disk)) {
                disks.push_back(disk);
                if (split) scratch.local.push_back(disk);
            }
        }
    }
}

}  // namespace

FillReport fillSurfaceGaps(const ScatterMesh& mesh, float radius, unsigned int seed,
                           std::vector<float>& positions, std::vector<float>& uvs,
                           std::vector<unsigned int>& triangleIds) {
    FillReport report;
    if (mesh.triangleCount == 0 || mesh.pointCount == 0 || !(radius > 0.0f)) return report;

    FillContext ctx;
    ctx.mesh = &mesh;
    ctx.r = radius;
    ctx.r2 = ctx.r * ctx.r;
    ctx.cells = CellFrame(mesh.points, mesh.pointCount, 2.0 * ctx.r);
    RowIndex fixed(ctx.cells), settled(ctx.cells);
    fixed.build(positions.data(), positions.size() / 3);
    AddedPoints recent(ctx.cells);
    const std::size_t given = positions.size() / 3;
    ctx.fixed = &fixed;
    ctx.settled = &settled;
    ctx.recent = &recent;
    std::vector<std::pair<std::size_t, Dart>> focusDarts;
    ctx.focusDarts = &focusDarts;

    const std::size_t triangles = mesh.triangleCount;
    const double tolerance = kFillToleranceArea * ctx.r2;
    const double pieceArea = kPieceArea * ctx.r2;
    std::vector<double> areas(triangles);
    std::vector<Keyed<u64>> order(triangles);  // (space key, triangle)
#pragma omp parallel for schedule(static)
    for (long long t = 0; t < static_cast<long long>(triangles); ++t) {
        const Frame f = ctx.frameOfTriangle(std::size_t(t));
        areas[std::size_t(t)] = f.area;
        double centroid[3];
        const double cx = (f.b2[0] + f.c2[0]) / 3.0, cy = f.c2[1] / 3.0;
        for (int a = 0; a < 3; ++a) centroid[a] = f.a[a] + cx * f.e1[a] + cy * f.e2[a];
        order[std::size_t(t)] = {ctx.cells.spaceKey(centroid), static_cast<unsigned int>(t)};
    }
    radixSort(order.data(), order.size(), ctx.cells.spaceKeyLimit());

    // Every triangle cut into pieces of a few r^2, triangles in space order.
    std::vector<std::size_t> firstPiece(triangles + 1, 0);
    for (std::size_t k = 0; k < triangles; ++k) {
        const double area = areas[order[k].index];
        firstPiece[k + 1] = firstPiece[k] + (area >= tolerance ? partsOf(area, pieceArea) : 0);
    }
    const u64 seedKey = mix64(0x6A09E667F3BCC909ull ^ u64(seed));
    std::vector<Piece> active(firstPiece[triangles]);
#pragma omp parallel for schedule(static)
    for (long long k = 0; k < static_cast<long long>(triangles); ++k) {
        if (firstPiece[k + 1] == firstPiece[k]) continue;
        const unsigned int t = order[std::size_t(k)].index;
        splitDown(rootPiece(t, seedKey), areas[t], pieceArea, active.data() + firstPiece[k]);
    }
    report.initialPieces = active.size();

    for (unsigned int round = 0; round < kMaxRounds && !active.empty(); ++round) {
        report.rounds = round + 1;
        // Each piece walks its gaps: from every uncovered spot it tries darts
        // into the gap, and a dart that lands joins the piece's disks, until
        // the piece is covered or a gap has no room for a dart. Blocks of
        // pieces run in parallel, each keeping its darts in piece order. A
        // piece sees the darts the earlier pieces of its block placed: they
        // count as disks, and its own darts keep r from them.
        const u64 roundKey = mix64(seedKey + round);
        const std::size_t blocks = (active.size() + kBlock - 1) / kBlock;
        std::vector<Outcome> outcomes(active.size());
        std::vector<std::vector<Dart>> blockDarts(blocks);
        std::vector<std::vector<unsigned int>> blockBorrowed(blocks);
#pragma omp parallel
        {
            std::vector<Disk> disks;
            WalkScratch scratch;
            std::vector<float> near;
#pragma omp for schedule(dynamic, 2)
            for (long long block = 0; block < static_cast<long long>(blocks); ++block) {
                std::vector<Dart>& darts = blockDarts[std::size_t(block)];
                scratch.runs.clear();
                std::vector<unsigned int>& borrowed = blockBorrowed[std::size_t(block)];
                const std::size_t end = std::min(active.size(), std::size_t(block + 1) * kBlock);
                // The frames and shapes of the current group's pieces, from
                // groupStart.
                std::size_t groupStart = 0, groupEnd = 0;
                std::array<Frame, kGroupPieces> frames;
                std::array<Shape, kGroupPieces> shapes;
                for (std::size_t i = std::size_t(block) * kBlock; i < end; ++i) {
                    const Piece& p = active[i];
                    if (i >= groupEnd) {
                        // The next few pieces whose reach boxes lie close
                        // together read the points around them once.
                        groupStart = i;
                        frames[0] = ctx.frameOfTriangle(p.triangle);
                        shapes[0] = shapeOf(frames[0], p);
                        double groupLo[3], groupHi[3];
                        ctx.reachBox(frames[0], shapes[0], groupLo, groupHi);
                        groupEnd = i + 1;
                        while (groupEnd < end && groupEnd - i < kGroupPieces) {
                            const Piece& q = active[groupEnd];
                            // Pieces of one triangle come together.
                            Frame& fq = frames[groupEnd - i];
                            fq = q.triangle == active[groupEnd - 1].triangle
                                     ? frames[groupEnd - 1 - i]
                                     : ctx.frameOfTriangle(q.triangle);
                            Shape& shape = shapes[groupEnd - i];
                            shape = shapeOf(fq, q);
                            double qlo[3], qhi[3];
                            ctx.reachBox(fq, shape, qlo, qhi);
                            bool fits = true;
                            for (int a = 0; a < 3; ++a)
                                fits = fits && std::max(groupHi[a], qhi[a]) -
                                                       std::min(groupLo[a], qlo[a]) <=
                                                   kGroupReach * ctx.r;
                            if (!fits) break;
                            for (int a = 0; a < 3; ++a) {
                                groupLo[a] = std::min(groupLo[a], qlo[a]);
                                groupHi[a] = std::max(groupHi[a], qhi[a]);
                            }
                            ++groupEnd;
                        }
                        ctx.pointsIn(groupLo, groupHi, near);
                        scratch.placed.clear();
                        scratch.placedIndex.clear();
                        scratch.runs.forBox(darts, groupLo, groupHi, [&](std::size_t k) {
                            scratch.placed.insert(scratch.placed.end(), darts[k].position,
                                                  darts[k].position + 3);
                            scratch.placedIndex.push_back(static_cast<unsigned int>(k));
                        });
                    }
                    const Frame& f = frames[i - groupStart];
                    const Shape& shape = shapes[i - groupStart];
                    // The piece's disks: of the points around it, then of the
                    // darts its block placed before it.
                    disks.clear();
                    ctx.disksMeeting(f, shape, near.data(), near.size() / 3,
                                     [&](std::size_t, const Disk& d) { disks.push_back(d); });
                    Outcome& outcome = outcomes[i];
                    outcome.firstBorrowed = static_cast<unsigned int>(borrowed.size());
                    ctx.disksMeeting(f, shape, scratch.placed.data(), scratch.placedIndex.size(),
                                     [&](std::size_t k, const Disk& d) {
                                         disks.push_back(d);
                                         borrowed.push_back(scratch.placedIndex[k]);
                                     });
                    outcome.borrowed =
                        static_cast<unsigned int>(borrowed.size()) - outcome.firstBorrowed;
                    outcome.firstDart = static_cast<unsigned int>(darts.size());
                    walkPiece(ctx, p, f, shape, roundKey, disks, scratch, outcome, darts);
                }
            }
        }

        // Darts that came too close to each other (of different blocks: a
        // block's darts keep r from each other): the earlier piece wins, and
        // the later one takes another turn, tested where its dropped darts
        // were (the rest of it is covered). So does a piece that counted on
        // a dropped dart of its block. Room for all darts is made first: the
        // tables then grow once instead of doubling step by step.
        std::size_t roundDarts = 0;
        for (const std::vector<Dart>& darts : blockDarts) roundDarts += darts.size();
        recent.reserve(roundDarts);
        reserveMore(positions, 3 * roundDarts);
        reserveMore(uvs, 2 * roundDarts);
        reserveMore(triangleIds, roundDarts);
        std::vector<unsigned char> clashed(active.size(), 0);
        std::vector<std::pair<std::size_t, Dart>> dropped;  // by piece, in piece order
        for (std::size_t i = 0; i < active.size(); ++i) {
            const Outcome& outcome = outcomes[i];
            std::vector<Dart>& darts = blockDarts[i / kBlock];
            const unsigned int* borrowed = blockBorrowed[i / kBlock].data() + outcome.firstBorrowed;
            for (unsigned int k = 0; k < outcome.borrowed; ++k) {
                if (!darts[borrowed[k]].dropped) continue;
                clashed[i] = 1;
                dropped.emplace_back(i, darts[borrowed[k]]);
            }
            for (unsigned int k = 0; k < outcome.darts; ++k) {
                Dart& dart = darts[outcome.firstDart + k];
                ++report.darts;
                if (report.added > 0 && ctx.takenNear(dart.position, false)) {
                    dart.dropped = true;
                    clashed[i] = 1;
                    dropped.emplace_back(i, dart);
                    continue;
                }
                recent.insert(dart.position);
                positions.insert(positions.end(), dart.position, dart.position + 3);
                uvs.push_back(dart.u);
                uvs.push_back(dart.v);
                triangleIds.push_back(active[i].triangle);
                ++report.added;
            }
        }

        // The added points move into a row index once they are a tenth of
        // those it holds, so the cell chains stay short.
        if (recent.size() * 10 > report.added - recent.size() + given / 100) {
            settled.build(positions.data() + 3 * given, report.added);
            recent.clear();
        }

        // Covered pieces leave; a piece whose darts clashed or that used its
        // quota takes another turn; one whose gap had no room for a dart is
        // split in four.
        active = parallelCollect<Piece>(active.size(), [&](std::size_t i, std::vector<Piece>& out) {
            const Piece& p = active[i];
            switch (outcomes[i].state) {
                case Outcome::kCovered: {
                    if (!clashed[i]) return;
                    Piece again = p;
                    const auto first = std::lower_bound(dropped.begin(), dropped.end(), i,
                                                        [](const std::pair<std::size_t, Dart>& d,
                                                           std::size_t k) { return d.first < k; });
                    std::size_t count = 0;
                    while (first + count != dropped.end() && first[count].first == i) ++count;
                    again.focusFirst = static_cast<unsigned int>(first - dropped.begin());
                    // Too many: the whole piece.
                    again.focusCount =
                        static_cast<unsigned char>(count <= Piece::kMaxFocus ? count : 0);
                    out.push_back(again);
                    return;
                }
                case Outcome::kBusy: {
                    Piece again = p;
                    again.focusCount = 0;
                    out.push_back(again);
                    return;
                }
                case Outcome::kMissed:
                    if (0.25 * p.area(areas[p.triangle]) < ctx.giveUpArea(p.triangle, tolerance) ||
                        p.level == Piece::kMaxLevel) {
                        out.push_back(Piece{});  // marks a piece given up
                        out.back().triangle = Piece::kGivenUp;
                        return;
                    }
                    for (const Piece& child : split(p)) out.push_back(child);
                    return;
            }
        });
        const auto firstGivenUp =
            std::stable_partition(active.begin(), active.end(),
                                  [](const Piece& p) { return p.triangle != Piece::kGivenUp; });
        report.givenUp += static_cast<std::size_t>(active.end() - firstGivenUp);
        active.erase(firstGivenUp, active.end());
        // The next round's focused pieces look at this round's dropped darts.
        focusDarts = std::move(dropped);
    }
    return report;
}

}  // namespace zt
