// Cell selection for the CPU backend. It accepts exactly the points the table
// form (fillHashTable ... chooseSamplesInCells, one launch per phase and
// trial) accepts, and gathers them in the same table order, but walks the
// work the way a CPU likes it: cells found in one pass over the sorted ids,
// lookups through a hash map that keeps neighbouring ids in one cache line,
// only the cells of a phase that still have work, and neighbour cells tested
// nearest first and skipped when their box lies farther than the radius.
// Included by the scatter driver in the CPU backend only.

namespace streaming {

constexpr unsigned int kNoCell = 0xFFFFFFFFu;

// Open-addressing map from cell id to the cell's accepted sample. Ids that
// differ only in their low three bits share a block of eight slots, so the
// five x-neighbours of a cell are usually one or two cache lines away.
class CellMap {
public:
    explicit CellMap(std::size_t cellCount) {
        std::size_t size = 16;
        while (size < 2 * cellCount) size *= 2;
        mask_ = static_cast<unsigned int>(size - 1);
        shift_ = 0;
        while ((std::size_t(1) << shift_) < size / 8) ++shift_;
        slots_.assign(size, Slot{0u, kUnused});
    }

    // Inserts a key known to be absent; returns its slot.
    unsigned int insert(unsigned int key) {
        unsigned int slot = home(key);
        while (slots_[slot].sample != kUnused) slot = (slot + 1) & mask_;
        slots_[slot] = Slot{key, kEmptySample};
        return slot;
    }

    // Slot of a key, or kNoCell.
    unsigned int find(unsigned int key) const {
        unsigned int slot = home(key);
        for (;;) {
            const Slot& s = slots_[slot];
            if (s.sample == kUnused) return kNoCell;
            if (s.key == key) return slot;
            slot = (slot + 1) & mask_;
        }
    }

    unsigned int sample(unsigned int slot) const {
        return __atomic_load_n(&slots_[slot].sample, __ATOMIC_RELAXED);
    }
    void setSample(unsigned int slot, unsigned int sample) {
        __atomic_store_n(&slots_[slot].sample, sample, __ATOMIC_RELAXED);
    }

private:
    // A slot no cell uses. Candidate indices stay below 2^31.
    static constexpr unsigned int kUnused = 0xFFFFFFFEu;
    struct Slot {
        unsigned int key;
        unsigned int sample;  // kUnused, kEmptySample or a candidate index
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

struct Cell {
    unsigned int start;  // sorted position of the first candidate
    unsigned int count;  // candidates in the cell
    unsigned int slot;   // slot in the cell map
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

// Returns the accepted candidate indices in table order.
inline std::vector<unsigned int> selectCells(const Input& in, bool serial) {
    const unsigned int n = in.candidateCount;
    std::vector<unsigned int> selected;
    if (n == 0) return selected;

    // Cells: one run of equal ids each in the sorted list.
    std::vector<Cell> cells;
    cells.reserve(n / 2 + 1);
    for (unsigned int i = 0; i < n; ++i) {
        if (i == 0 || in.sortedCellId[i] != in.sortedCellId[i - 1]) {
            if (!cells.empty()) cells.back().count = i - cells.back().start;
            cells.push_back(Cell{i, 0, 0});
        }
    }
    cells.back().count = n - cells.back().start;
    const unsigned int cellCount = static_cast<unsigned int>(cells.size());

    CellMap cellMap(cellCount);
    for (Cell& cell : cells) cell.slot = cellMap.insert(in.sortedCellId[cell.start]);

    // Cells holding a point of an earlier pass are occupied from the start.
    // Such a point sorts first in its cell (lowest candidate index).
    for (const Cell& cell : cells) {
        const unsigned int first = in.map[cell.start];
        if (first < in.acceptedCount) cellMap.setSample(cell.slot, first);
    }

    // Cells by phase, ascending cell number within a phase.
    std::array<std::vector<unsigned int>, 27> phaseCells;
    for (unsigned int c = 0; c < cellCount; ++c) {
        if (cellMap.sample(cells[c].slot) != kEmptySample) continue;
        const unsigned int p = in.map[cells[c].start];
        const unsigned short phase = phaseOf(in.x[p], in.y[p], in.z[p], in.grid.cellSize,
                                             in.grid.minX, in.grid.minY, in.grid.minZ, in.phaseMap);
        phaseCells[phase].push_back(c);
    }

    // A point beyond the grid in x or z shares its id with a cell of another
    // row; such cells can be neighbours in id space while being processed in
    // the same phase, so the phases then run on one thread. Tiny grids alias
    // the same way.
    bool aliasing = in.gridCellsX < 5 || in.gridCellsZ < 5;
    if (!aliasing) {
        const float cs = in.grid.cellSize;
#pragma omp parallel for reduction(|| : aliasing) schedule(static)
        for (long long i = 0; i < static_cast<long long>(n); ++i) {
            const int ix = cellIndexOnAxis(in.x[i], in.grid.minX, cs);
            const int iz = cellIndexOnAxis(in.z[i], in.grid.minZ, cs);
            if (static_cast<unsigned int>(ix) >= in.gridCellsX ||
                static_cast<unsigned int>(iz) >= in.gridCellsZ)
                aliasing = true;
        }
    }
    const bool pruneNeighbours = in.gridCellsX >= 5 && in.gridCellsZ >= 5;
    const bool runSerial = serial || aliasing;

    const auto& offsets = neighbourOffsets();
    std::array<unsigned int, 124> offsetIds{};
    for (unsigned int o = 0; o < 124; ++o) {
        offsetIds[o] = static_cast<unsigned int>(offsets[o].ox) +
                       static_cast<unsigned int>(offsets[o].oz) * in.grid.stepZ +
                       static_cast<unsigned int>(offsets[o].oy) * in.grid.stepY;
    }

    // Tries candidate number `t` of cell `c`; accepts it when no accepted point
    // lies within the radius.
    auto tryCandidate = [&](unsigned int c, unsigned int t) {
        const Cell& cell = cells[c];
        const unsigned int p = in.map[cell.start + t];
        const unsigned int key = in.sortedCellId[cell.start];
        const float px = in.x[p], py = in.y[p], pz = in.z[p];
        const float cs = in.grid.cellSize;
        // Position inside the cell, in cells, for skipping far neighbour
        // boxes; only meaningful for a point on the grid's side of the origin.
        const float dx = px - in.grid.minX, dy = py - in.grid.minY, dz = pz - in.grid.minZ;
        const bool prune = pruneNeighbours && dx >= 0.0f && dy >= 0.0f && dz >= 0.0f &&
                           dx / cs < 1.0e9f && dy / cs < 1.0e9f && dz / cs < 1.0e9f;
        float fx = 0, fy = 0, fz = 0, margin = 0;
        if (prune) {
            const float gx = dx / cs, gy = dy / cs, gz = dz / cs;
            fx = gx - floorf(gx);
            fy = gy - floorf(gy);
            fz = gz - floorf(gz);
            // Rounding of the divisions can place a point a hair outside its
            // box; keep a margin so a skipped box is certainly out of reach.
            margin = 1.0e-4f + 4.0e-7f * (gx + gy + gz);
        }
        for (unsigned int o = 0; o < 124; ++o) {
            if (prune) {
                const float ax = std::max(0.0f, axisGap(offsets[o].ox, fx) - margin);
                const float ay = std::max(0.0f, axisGap(offsets[o].oy, fy) - margin);
                const float az = std::max(0.0f, axisGap(offsets[o].oz, fz) - margin);
                if (ax * ax + ay * ay + az * az > 3.0001f) continue;
            }
            const unsigned int slot = cellMap.find(key + offsetIds[o]);
            if (slot == kNoCell) continue;
            const unsigned int j = cellMap.sample(slot);
            if (j == kEmptySample) continue;
            if (withinRadius(px, py, pz, in.x[j], in.y[j], in.z[j], in.radius)) return;
        }
        cellMap.setSample(cell.slot, p);
    };

    for (unsigned int t = 0; t < in.trials; ++t) {
        for (unsigned int phase = 0; phase < 27; ++phase) {
            std::vector<unsigned int>& list = phaseCells[phase];
            const long long count = static_cast<long long>(list.size());
            if (runSerial) {
                for (long long i = 0; i < count; ++i)
                    if (cells[list[i]].count > t) tryCandidate(list[i], t);
            } else {
#pragma omp parallel for schedule(dynamic, 256)
                for (long long i = 0; i < count; ++i)
                    if (cells[list[i]].count > t) tryCandidate(list[i], t);
            }
            // Drop the cells that are settled: accepted, or out of candidates.
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [&](unsigned int c) {
                                          return cellMap.sample(cells[c].slot) != kEmptySample ||
                                                 cells[c].count <= t + 1;
                                      }),
                       list.end());
        }
    }

    // Table order: the cells of a bucket (id mod 4C) take slots in ascending id
    // order, and points leave slot by slot, bucket by bucket.
    const unsigned long long buckets = 4ull * cellCount;
    std::vector<unsigned int> rankCounter(buckets, 0u);
    std::vector<std::pair<unsigned long long, unsigned int>> order;
    for (const Cell& cell : cells) {
        const unsigned int key = in.sortedCellId[cell.start];
        const unsigned long long bucket = key % buckets;
        const unsigned int rank = rankCounter[bucket]++;
        const unsigned int sample = cellMap.sample(cell.slot);
        if (sample != kEmptySample) order.emplace_back(rank * buckets + bucket, sample);
    }
    std::sort(order.begin(), order.end());
    selected.reserve(order.size());
    for (const auto& entry : order) selected.push_back(entry.second);
    return selected;
}

}  // namespace streaming
