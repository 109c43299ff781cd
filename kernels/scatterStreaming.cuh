// Cell selection for the CPU backend. It accepts exactly the points the table
// form (fillHashTable ... chooseSamplesInCells, one launch per phase and
// trial) accepts, and gathers them in the same table order, but walks the
// work the way a CPU likes it: cells found in one pass over the sorted ids,
// only the cells of a phase that still have work, neighbour cells tested
// nearest first and skipped when their box lies beyond the radius, cell
// states kept in 4x4x4 bricks addressed by grid indices, and the accepted
// points in one compact array for the distance tests.
// Included by the scatter driver in the CPU backend only.

namespace streaming {

constexpr unsigned int kNone = 0xFFFFFFFFu;

struct Cell {
    unsigned int start;  // sorted position of the first candidate
    unsigned int count;  // candidates in the cell
    unsigned int key;    // cell id
    int ix, iy, iz;      // grid indices of the cell's first candidate
    unsigned int ref;    // where the store keeps the cell's state
};

// Points accepted in this pass (and carried over), in acceptance order.
class AcceptedList {
public:
    explicit AcceptedList(std::size_t capacity) : xyz_(3 * capacity), candidate_(capacity) {}

    // Safe to call from several threads at once.
    unsigned int add(unsigned int candidate, float x, float y, float z) {
        const unsigned int index = __atomic_fetch_add(&count_, 1u, __ATOMIC_RELAXED);
        xyz_[3 * index] = x;
        xyz_[3 * index + 1] = y;
        xyz_[3 * index + 2] = z;
        candidate_[index] = candidate;
        return index;
    }
    const float* position(unsigned int index) const { return &xyz_[3 * index]; }
    unsigned int candidate(unsigned int index) const { return candidate_[index]; }

private:
    std::vector<float> xyz_;
    std::vector<unsigned int> candidate_;
    unsigned int count_ = 0;
};

inline unsigned int loadRelaxed(const unsigned int& value) {
    return __atomic_load_n(&value, __ATOMIC_RELAXED);
}
inline void storeRelaxed(unsigned int& target, unsigned int value) {
    __atomic_store_n(&target, value, __ATOMIC_RELAXED);
}

// Cell states in 4x4x4 bricks addressed by grid indices, for the common case
// where cell ids and grid index triples correspond one to one (no candidate
// beyond the grid in x or z). A brick holds two 64-bit masks, which cells
// exist and which hold an accepted point, so the neighbour tests of a try
// touch a few small bricks; only an accepted neighbour costs a lookup of its
// point.
class BrickStore {
    struct Brick {
        std::uint64_t exists = 0;
        std::uint64_t accepted = 0;
        unsigned int firstSlot = 0;
    };

public:
    // Grid of nx x ny x nz cells; `fits` says whether its brick index is small
    // enough to allocate.
    static bool fits(unsigned int nx, unsigned int ny, unsigned int nz) {
        const std::uint64_t bricks = std::uint64_t((nx + 3) / 4) * ((ny + 3) / 4) * ((nz + 3) / 4);
        return bricks <= (std::uint64_t(1) << 25);
    }

    BrickStore(unsigned int nx, unsigned int ny, unsigned int nz)
        : bx_((nx + 3) / 4),
          by_((ny + 3) / 4),
          bz_((nz + 3) / 4),
          index_(std::size_t(bx_) * by_ * bz_, kNone) {}

    // Registers a cell; call for every cell, then finishCells().
    unsigned int addCell(int ix, int iy, int iz) {
        unsigned int& brick = index_[brickOf(ix >> 2, iy >> 2, iz >> 2)];
        if (brick == kNone) {
            brick = static_cast<unsigned int>(bricks_.size());
            bricks_.push_back(Brick{});
        }
        const unsigned int bit = local(ix, iy, iz);
        bricks_[brick].exists |= std::uint64_t(1) << bit;
        return brick * 64 + bit;
    }

    // Gives every cell a slot for its accepted point.
    void finishCells() {
        unsigned int next = 0;
        for (Brick& brick : bricks_) {
            brick.firstSlot = next;
            next += static_cast<unsigned int>(__builtin_popcountll(brick.exists));
        }
        slots_.assign(next, kNone);
    }

    unsigned int state(unsigned int ref) const {
        const Brick& brick = bricks_[ref / 64];
        const unsigned int bit = ref % 64;
        if (!((__atomic_load_n(&brick.accepted, __ATOMIC_RELAXED) >> bit) & 1u)) return kNone;
        return slots_[slotOf(brick, bit)];
    }

    // Cells of one phase may share a brick, so the mask update is atomic.
    void setState(unsigned int ref, unsigned int value) {
        Brick& brick = bricks_[ref / 64];
        const unsigned int bit = ref % 64;
        slots_[slotOf(brick, bit)] = value;
        __atomic_fetch_or(&brick.accepted, std::uint64_t(1) << bit, __ATOMIC_RELAXED);
    }

    // The 2x2x2 bricks covering the 5x5x5 block of cells around one cell.
    class Window {
    public:
        Window(const BrickStore& store, const Cell& cell) : store_(store), cell_(cell) {
            x0_ = (cell.ix - 2) >> 2;
            y0_ = (cell.iy - 2) >> 2;
            z0_ = (cell.iz - 2) >> 2;
            for (int dy = 0; dy < 2; ++dy)
                for (int dz = 0; dz < 2; ++dz)
                    for (int dx = 0; dx < 2; ++dx)
                        windowBricks_[dy][dz][dx] = store.brickAt(x0_ + dx, y0_ + dy, z0_ + dz);
        }

        // The accepted point of the cell at the offset, or kNone.
        unsigned int lookup(int ox, int oy, int oz, unsigned int) const {
            const int x = cell_.ix + ox, y = cell_.iy + oy, z = cell_.iz + oz;
            const Brick* brick = windowBricks_[(y >> 2) - y0_][(z >> 2) - z0_][(x >> 2) - x0_];
            if (brick == nullptr) return kNone;
            const unsigned int bit = local(x, y, z);
            if (!((__atomic_load_n(&brick->accepted, __ATOMIC_RELAXED) >> bit) & 1u)) return kNone;
            return store_.slots_[slotOf(*brick, bit)];
        }

    private:
        const BrickStore& store_;
        const Cell& cell_;
        int x0_, y0_, z0_;
        const Brick* windowBricks_[2][2][2];
    };

    Window window(const Cell& cell) const { return Window(*this, cell); }

private:
    std::size_t brickOf(int bx, int by, int bz) const {
        return (std::size_t(by) * bz_ + std::size_t(bz)) * bx_ + std::size_t(bx);
    }
    const Brick* brickAt(int bx, int by, int bz) const {
        if (bx < 0 || by < 0 || bz < 0 || unsigned(bx) >= bx_ || unsigned(by) >= by_ ||
            unsigned(bz) >= bz_)
            return nullptr;
        const unsigned int brick = index_[brickOf(bx, by, bz)];
        return brick == kNone ? nullptr : &bricks_[brick];
    }
    static unsigned int local(int x, int y, int z) {
        return unsigned(x & 3) | (unsigned(z & 3) << 2) | (unsigned(y & 3) << 4);
    }
    static unsigned int slotOf(const Brick& brick, unsigned int bit) {
        const std::uint64_t below = bit == 0 ? 0 : (brick.exists << (64 - bit));
        return brick.firstSlot + static_cast<unsigned int>(__builtin_popcountll(below));
    }

    unsigned int bx_, by_, bz_;
    std::vector<unsigned int> index_;
    std::vector<Brick> bricks_;
    std::vector<unsigned int> slots_;
};

// Cell states by cell id in an open-addressing map: the general case, where
// ids wrap or rows alias. Ids that differ only in their low three bits share
// a block of eight slots, so x-neighbours are usually one cache line away.
class IdStore {
public:
    explicit IdStore(std::size_t cellCount) {
        std::size_t size = 16;
        while (size < 2 * cellCount) size *= 2;
        mask_ = static_cast<unsigned int>(size - 1);
        while ((std::size_t(1) << shift_) < size / 8) ++shift_;
        slots_.assign(size, Slot{0u, kUnused});
    }

    unsigned int addCell(unsigned int key) {
        unsigned int slot = home(key);
        while (slots_[slot].state != kUnused) slot = (slot + 1) & mask_;
        slots_[slot] = Slot{key, kNone};
        return slot;
    }

    unsigned int state(unsigned int ref) const { return loadRelaxed(slots_[ref].state); }
    void setState(unsigned int ref, unsigned int value) { storeRelaxed(slots_[ref].state, value); }

    void finishCells() {}

    class Window {
    public:
        Window(const IdStore& store, const Cell& cell) : store_(store), key_(cell.key) {}
        // The accepted point of the cell whose id is `offsetId` away, or kNone.
        unsigned int lookup(int, int, int, unsigned int offsetId) const {
            return store_.find(key_ + offsetId);
        }

    private:
        const IdStore& store_;
        unsigned int key_;
    };

    Window window(const Cell& cell) const { return Window(*this, cell); }

private:
    static constexpr unsigned int kUnused = 0xFFFFFFFEu;  // a slot no cell uses
    unsigned int find(unsigned int key) const {
        for (unsigned int slot = home(key);; slot = (slot + 1) & mask_) {
            const Slot& s = slots_[slot];
            if (s.state == kUnused) return kNone;
            if (s.key == key) return loadRelaxed(s.state);
        }
    }
    struct Slot {
        unsigned int key;
        unsigned int state;
    };
    unsigned int home(unsigned int key) const {
        const unsigned int block = ((key >> 3) * 2654435761u) >> (32 - shift_);
        return ((block << 3) | (key & 7u)) & mask_;
    }
    std::vector<Slot> slots_;
    unsigned int mask_ = 0;
    unsigned int shift_ = 0;
};

// The 124 neighbour offsets of the 5x5x5 block, nearest first, so a rejected
// candidate usually meets its rejecting neighbour within a few lookups.
struct NeighbourOffset {
    int ox, oy, oz;
};

inline const std::array<NeighbourOffset, 124>& neighbourOffsets() {
    static const std::array<NeighbourOffset, 124> offsets = [] {
        std::array<NeighbourOffset, 124> list{};
        unsigned int n = 0;
        for (int oy = -2; oy <= 2; ++oy)
            for (int oz = -2; oz <= 2; ++oz)
                for (int ox = -2; ox <= 2; ++ox)
                    if (ox != 0 || oy != 0 || oz != 0) list[n++] = NeighbourOffset{ox, oy, oz};
        auto gap = [](int o) { return o == 0 ? 0 : (o > 0 ? o - 1 : -o - 1); };
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            const int da = gap(a.ox) * gap(a.ox) + gap(a.oy) * gap(a.oy) + gap(a.oz) * gap(a.oz);
            const int db = gap(b.ox) * gap(b.ox) + gap(b.oy) * gap(b.oy) + gap(b.oz) * gap(b.oz);
            return da < db;
        });
        return list;
    }();
    return offsets;
}

// Smallest distance, in cells, from a point at fraction `f` of its cell to the
// cell `o` cells away along one axis.
inline float axisGap(int o, float f) {
    if (o > 0) return static_cast<float>(o) - f;
    if (o < 0) return static_cast<float>(-o - 1) + f;
    return 0.0f;
}

// The element getTriIndex picks from an inclusive prefix-sum table, found
// through a guide table instead of a binary search: for a finite,
// non-decreasing table getTriIndex returns the first t with r * total <
// cumulative[t] (the last element when there is none), and so does this.
// Tables that are not finite and non-decreasing go to getTriIndex itself.
class PrefixSumIndex {
public:
    PrefixSumIndex(const float* cumulative, unsigned int count, float total)
        : cumulative_(cumulative), count_(count), total_(total) {
        usable_ = count > 1 && std::isfinite(total) && total > 0.0f;
        for (unsigned int t = 0; usable_ && t < count; ++t) {
            if (!std::isfinite(cumulative[t]) ||
                cumulative[t] < (t == 0 ? 0.0f : cumulative[t - 1]))
                usable_ = false;
        }
        if (!usable_) return;
        // guide_[b]: the first element whose cumulative value exceeds the
        // lower edge b / scale_ of bin b.
        scale_ = double(count) / double(total);
        guide_.resize(count);
        unsigned int t = 0;
        for (unsigned int b = 0; b < count; ++b) {
            const double edge = double(b) / scale_;
            while (t < count && !(double(cumulative[t]) > edge)) ++t;
            guide_[b] = t;
        }
    }

    unsigned int pick(float r) const {
        if (!usable_) return getTriIndex(cumulative_, static_cast<int>(count_), r, total_);
        if (r == 0.0f) return 0;
        if (r == 1.0f) return count_ - 1;
        const float target = total_ * r;
        const double position = double(target) * scale_;
        std::size_t bin = position > 0.0 ? static_cast<std::size_t>(position) : 0;
        // One bin back keeps the start at or below the answer despite rounding.
        bin = bin >= count_ ? count_ - 1 : bin;
        unsigned int t = guide_[bin > 0 ? bin - 1 : 0];
        while (t < count_ && !(target < cumulative_[t])) ++t;
        return t < count_ ? t : count_ - 1;
    }

private:
    const float* cumulative_;
    unsigned int count_;
    float total_;
    bool usable_ = false;
    double scale_ = 0.0;
    std::vector<unsigned int> guide_;
};

struct Input {
    const float* x;
    const float* y;
    const float* z;
    const unsigned int* sortedCellId;  // cell id per sorted position
    const unsigned int* map;           // candidate index per sorted position
    unsigned int candidateCount;       // N
    unsigned int acceptedCount;        // points carried over from earlier passes
    GridFrame grid;
    float radius;
    unsigned int trials;
    const unsigned short* phaseMap;
    unsigned int gridCellsX;  // nx
    unsigned int gridCellsZ;  // nz
};

// Runs the trials over the phases and leaves each cell's accepted point (an
// index into `accepted`, or kNone) in `store`.
template <class Store>
void runTrials(const Input& in, const std::vector<Cell>& cells, const std::vector<float>& sortedXyz,
               Store& store, AcceptedList& accepted, bool serial, bool pruneNeighbours) {
    const unsigned int cellCount = static_cast<unsigned int>(cells.size());

    // Cells holding a point of an earlier pass are occupied from the start;
    // that point sorts first in its cell (lowest candidate index).
    std::array<std::vector<unsigned int>, 27> phaseCells;
    for (unsigned int c = 0; c < cellCount; ++c) {
        const Cell& cell = cells[c];
        const unsigned int first = in.map[cell.start];
        if (first < in.acceptedCount) {
            store.setState(cell.ref, accepted.add(first, in.x[first], in.y[first], in.z[first]));
            continue;
        }
        const unsigned int phase =
            in.phaseMap[9u * (unsigned(cell.iy) % 3u) + 3u * (unsigned(cell.iz) % 3u) +
                        unsigned(cell.ix) % 3u];
        phaseCells[phase].push_back(c);
    }

    const auto& offsets = neighbourOffsets();
    std::array<unsigned int, 124> offsetIds{};
    for (unsigned int o = 0; o < 124; ++o) {
        offsetIds[o] = static_cast<unsigned int>(offsets[o].ox) +
                       static_cast<unsigned int>(offsets[o].oz) * in.grid.stepZ +
                       static_cast<unsigned int>(offsets[o].oy) * in.grid.stepY;
    }

    // Tries candidate number `t` of cell `c`: accepted when no accepted point
    // lies within the radius.
    auto tryCandidate = [&](const Cell& cell, unsigned int t) {
        const unsigned int p = in.map[cell.start + t];
        const float* position = &sortedXyz[3 * std::size_t(cell.start + t)];
        const float px = position[0], py = position[1], pz = position[2];
        const typename Store::Window window = store.window(cell);
        const float cs = in.grid.cellSize;
        // Position inside the cell, in cells, for skipping far neighbour
        // boxes; only meaningful for a point on the grid's side of the origin.
        const float gx = (px - in.grid.minX) / cs, gy = (py - in.grid.minY) / cs,
                    gz = (pz - in.grid.minZ) / cs;
        const bool prune = pruneNeighbours && gx >= 0.0f && gy >= 0.0f && gz >= 0.0f &&
                           gx < 1.0e9f && gy < 1.0e9f && gz < 1.0e9f;
        float fx = 0, fy = 0, fz = 0, margin = 0;
        if (prune) {
            fx = gx - floorf(gx);
            fy = gy - floorf(gy);
            fz = gz - floorf(gz);
            // Rounding can place a point a hair outside its box; the margin
            // keeps every skipped box certainly out of reach.
            margin = 1.0e-4f + 4.0e-7f * (gx + gy + gz);
        }
        for (unsigned int o = 0; o < 124; ++o) {
            const NeighbourOffset& off = offsets[o];
            if (prune) {
                const float ax = std::max(0.0f, axisGap(off.ox, fx) - margin);
                const float ay = std::max(0.0f, axisGap(off.oy, fy) - margin);
                const float az = std::max(0.0f, axisGap(off.oz, fz) - margin);
                if (ax * ax + ay * ay + az * az > 3.0001f) continue;
            }
            const unsigned int j = window.lookup(off.ox, off.oy, off.oz, offsetIds[o]);
            if (j == kNone) continue;
            const float* q = accepted.position(j);
            if (withinRadius(px, py, pz, q[0], q[1], q[2], in.radius)) return;
        }
        store.setState(cell.ref, accepted.add(p, px, py, pz));
    };

    for (unsigned int t = 0; t < in.trials; ++t) {
        for (unsigned int phase = 0; phase < 27; ++phase) {
            std::vector<unsigned int>& list = phaseCells[phase];
            const long long count = static_cast<long long>(list.size());
            if (serial) {
                for (long long i = 0; i < count; ++i) tryCandidate(cells[list[i]], t);
            } else {
#pragma omp parallel for schedule(dynamic, 512)
                for (long long i = 0; i < count; ++i) tryCandidate(cells[list[i]], t);
            }
            // Keep only the cells with work left: no point yet and another
            // candidate for the next trial.
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [&](unsigned int c) {
                                          return store.state(cells[c].ref) != kNone ||
                                                 cells[c].count <= t + 1;
                                      }),
                       list.end());
        }
    }
}

// Returns the accepted candidate indices in table order.
inline std::vector<unsigned int> selectCells(const Input& in, bool serial) {
    const unsigned int n = in.candidateCount;
    std::vector<unsigned int> selected;
    if (n == 0) return selected;
    const float cs = in.grid.cellSize;

    // Cells: one run of equal ids each in the sorted list.
    std::vector<Cell> cells;
    cells.reserve(n / 2 + 1);
    for (unsigned int i = 0; i < n; ++i) {
        if (i > 0 && in.sortedCellId[i] == in.sortedCellId[i - 1]) continue;
        if (!cells.empty()) cells.back().count = i - cells.back().start;
        const unsigned int p = in.map[i];
        cells.push_back(Cell{i, 0, in.sortedCellId[i], cellIndexOnAxis(in.x[p], in.grid.minX, cs),
                             cellIndexOnAxis(in.y[p], in.grid.minY, cs),
                             cellIndexOnAxis(in.z[p], in.grid.minZ, cs), 0});
    }
    cells.back().count = n - cells.back().start;
    const unsigned int cellCount = static_cast<unsigned int>(cells.size());

    // A point beyond the grid in x or z shares its id with a cell of another
    // row: ids and grid indices then no longer correspond, and such cells can
    // be id-space neighbours processed in the same phase, so the phases run
    // on one thread. Tiny grids alias the same way.
    bool aliasing = in.gridCellsX < 5 || in.gridCellsZ < 5;
    int maxY = 0;
    if (!aliasing) {
#pragma omp parallel for reduction(|| : aliasing) reduction(max : maxY) schedule(static)
        for (long long i = 0; i < static_cast<long long>(n); ++i) {
            const int ix = cellIndexOnAxis(in.x[i], in.grid.minX, cs);
            const int iy = cellIndexOnAxis(in.y[i], in.grid.minY, cs);
            const int iz = cellIndexOnAxis(in.z[i], in.grid.minZ, cs);
            if (static_cast<unsigned int>(ix) >= in.gridCellsX ||
                static_cast<unsigned int>(iz) >= in.gridCellsZ || iy >= (1 << 30))
                aliasing = true;
            maxY = std::max(maxY, iy);
        }
    }
    const bool pruneNeighbours = in.gridCellsX >= 5 && in.gridCellsZ >= 5;
    const unsigned int ny = static_cast<unsigned int>(maxY) + 1;

    // Candidate positions in sorted order: a cell's candidates side by side.
    std::vector<float> sortedXyz(3 * std::size_t(n));
#pragma omp parallel for schedule(static) if (!serial)
    for (long long i = 0; i < static_cast<long long>(n); ++i) {
        const unsigned int p = in.map[i];
        sortedXyz[3 * i] = in.x[p];
        sortedXyz[3 * i + 1] = in.y[p];
        sortedXyz[3 * i + 2] = in.z[p];
    }

    AcceptedList accepted(cellCount);
    std::vector<unsigned int> states(cellCount);
    if (!aliasing && BrickStore::fits(in.gridCellsX, ny, in.gridCellsZ)) {
        BrickStore store(in.gridCellsX, ny, in.gridCellsZ);
        for (Cell& cell : cells) cell.ref = store.addCell(cell.ix, cell.iy, cell.iz);
        store.finishCells();
        runTrials(in, cells, sortedXyz, store, accepted, serial, pruneNeighbours);
        for (unsigned int c = 0; c < cellCount; ++c) states[c] = store.state(cells[c].ref);
    } else {
        IdStore store(cellCount);
        for (Cell& cell : cells) cell.ref = store.addCell(cell.key);
        runTrials(in, cells, sortedXyz, store, accepted, serial || aliasing, pruneNeighbours);
        for (unsigned int c = 0; c < cellCount; ++c) states[c] = store.state(cells[c].ref);
    }

    // Table order: the cells of a bucket (id mod 4C) take slots in ascending id
    // order, and points leave slot by slot, bucket by bucket.
    const unsigned long long buckets = 4ull * cellCount;
    std::vector<unsigned int> rankCounter(buckets, 0u);
    std::vector<std::pair<unsigned long long, unsigned int>> order;
    for (unsigned int c = 0; c < cellCount; ++c) {
        const unsigned long long bucket = cells[c].key % buckets;
        const unsigned int rank = rankCounter[bucket]++;
        if (states[c] != kNone)
            order.emplace_back(rank * buckets + bucket, accepted.candidate(states[c]));
    }
    std::sort(order.begin(), order.end());
    selected.reserve(order.size());
    for (const auto& entry : order) selected.push_back(entry.second);
    return selected;
}

}  // namespace streaming
