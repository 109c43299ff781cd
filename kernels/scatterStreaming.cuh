// Cell selection for the CPU backend. It accepts exactly the points the table
// form (fillHashTable ... chooseSamplesInCells, one launch per phase and
// trial) accepts, and gathers them in the same table order, but walks the
// work the way a CPU likes it, reading memory in order wherever it can: the
// candidates arrive sorted by cell together with their positions, so nothing
// is gathered at random; cells are found in one pass over the sorted ids,
// their grid indices read from the id; per phase, a compact list of the
// cells that still have work, built by all threads at once, whose
// candidates are read where the sort left them; accepted points kept in
// 4x4x4 bricks of cells, the candidate's own brick tested first, squared
// distances compared with a precomputed limit; the first trial, which tests
// every cell, runs as a wavefront over slabs of the grid so the bricks it
// reads stay in cache. Where ids alias (points
// beyond the grid), an id-keyed table with the neighbour cells tested
// nearest first takes the bricks' place. Included by the scatter driver in
// the CPU backend only.

namespace streaming {

constexpr unsigned int kNone = 0xFFFFFFFFu;

// An allocator that leaves trivially constructible elements uninitialised:
// the large working arrays of a scatter are written in full by parallel
// loops, so zeroing them first would only add a serial pass over memory
// (and take every page fault on one thread). Its memory comes from
// `resource` (the global heap when null), which moves and swaps with it.
template <class T>
struct UninitialisedAllocator {
    using value_type = T;
    using propagate_on_container_copy_assignment = std::true_type;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    std::pmr::memory_resource* resource = nullptr;

    UninitialisedAllocator() = default;
    explicit UninitialisedAllocator(std::pmr::memory_resource* r) noexcept : resource(r) {}
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>& other) noexcept
        : resource(other.resource) {}

    T* allocate(std::size_t n) {
        if (resource == nullptr) return std::allocator<T>().allocate(n);
        return static_cast<T*>(resource->allocate(n * sizeof(T), alignof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (resource == nullptr)
            std::allocator<T>().deallocate(p, n);
        else
            resource->deallocate(p, n * sizeof(T), alignof(T));
    }
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible<U>::value) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const UninitialisedAllocator<U>& other) const noexcept {
        return resource == other.resource;
    }
    template <class U>
    bool operator!=(const UninitialisedAllocator<U>& other) const noexcept {
        return resource != other.resource;
    }
};

// A working array whose resize leaves new elements for the caller to write.
template <class T>
using Buffer = std::vector<T, UninitialisedAllocator<T>>;

struct Cell {
    unsigned int start;  // sorted position of the first candidate
    unsigned int count;  // candidates in the cell
    unsigned int key;    // cell id
    int ix, iy, iz;      // grid indices of the cell's first candidate
    unsigned int ref;    // where the store keeps the cell's state
};

// A cell's accepted point: its position and candidate index.
struct AcceptedPoint {
    float x, y, z;
    unsigned int candidate;
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

// The largest squared distance d2 with sqrtf(d2) <= r. The square root is
// correctly rounded and non-decreasing, so `d2 <= limit` decides exactly
// what withinRadius decides, without a square root per test.
inline float squaredRadiusLimit(float r) {
    if (std::isnan(r) || std::isinf(r)) return r;  // NaN: nothing is near; +inf: all is
    if (r < 0.0f) return -1.0f;
    const float kInfinity = std::numeric_limits<float>::infinity();
    float t = std::min(r * r, std::numeric_limits<float>::max());
    while (t > 0.0f && std::sqrt(t) > r) t = std::nextafter(t, 0.0f);
    while (std::isfinite(std::nextafter(t, kInfinity)) &&
           std::sqrt(std::nextafter(t, kInfinity)) <= r)
        t = std::nextafter(t, kInfinity);
    return t;
}

// Accepted points grouped by 4x4x4 bricks of cells, for the common case where
// cell ids and grid index triples correspond one to one (no candidate beyond
// the grid in x or z). The 2x2x2 bricks around a cell cover its 5x5x5
// neighbourhood, and every point they hold outside that neighbourhood is at
// least two cells (1.15 radii) away, so testing a candidate against all the
// points of those bricks decides exactly what testing the 124 neighbour
// cells decides, while reading a few short contiguous lists.
//
// Every brick that holds a cell is made before the trials, in cell order,
// with the numbers of its 26 neighbours: a cell keeps its brick's number, so
// a test reads its brick and the neighbour numbers without any lookup by
// position (the tables that find bricks by position only serve to make them).
// Points accepted during a phase are added to the lists when the phase ends
// (cells of one phase never decide on each other's points), the bricks split
// among the threads by number, each thread with its own overflow pool.
class BrickStore {
    // The first points of a brick live in the brick itself (one cache line);
    // a brick that collects more continues in chunks of its overflow pool.
    static constexpr unsigned int kInline = 4;
    struct alignas(64) Brick {
        float xyz[kInline][3];
        unsigned int count;     // points in the brick
        unsigned int overflow;  // first chunk of the rest (kNone: none)
    };
    struct Chunk {
        float xyz[kInline][3];
        unsigned int next = kNone;
    };
    // Numbers of a brick's 3x3x3 block of bricks (itself in the middle),
    // kNone where no cell lies; entry 9 (dy + 1) + 3 (dz + 1) + dx + 1.
    struct alignas(128) Neighbours {
        unsigned int brick[27];
    };
    static constexpr unsigned int kSelf = 13;

    // Layers of up to this many bricks are made with layer tables.
    static constexpr std::uint64_t kLayerEntries = std::uint64_t(1) << 22;
    // Otherwise bricks are made with a two-level index: a dense table over
    // blocks of 16x16x16 bricks, each occupied block with its own table of
    // bricks (or one table when the grid is small).
    static constexpr unsigned int kBlockBits = 4;
    static constexpr unsigned int kBlockBricks = 1u << (3 * kBlockBits);
    // Grids of up to this many bricks index them with one table (16 MiB).
    static constexpr std::uint64_t kFlatBricks = std::uint64_t(1) << 22;

public:
    // Grid of nx x ny x nz cells; `fits` says whether its block table is small
    // enough to allocate.
    static bool fits(unsigned int nx, unsigned int ny, unsigned int nz) {
        auto blocks = [](unsigned int cells) { return (std::uint64_t(cells) + 63) / 64; };
        return blocks(nx) * blocks(ny) * blocks(nz) <= (std::uint64_t(1) << 24);
    }

    BrickStore(unsigned int nx, unsigned int ny, unsigned int nz, const GridFrame& grid,
               float radius, int threads)
        : grid_(grid),
          inverseCell_(1.0f / grid.cellSize),
          squaredLimit_(squaredRadiusLimit(radius)),
          threads_(std::max(1, threads)),
          bx_((nx + 3) / 4),
          by_((ny + 3) / 4),
          bz_((nz + 3) / 4),
          blocksX_((bx_ + 15) / 16),
          blocksZ_((bz_ + 15) / 16),
          flat_(std::uint64_t(bx_) * by_ * bz_ <= kFlatBricks),
          chunks_(std::size_t(threads_)),
          pending_(std::size_t(threads_)) {}

    // Makes the brick of every cell (in cell order) and sets the cell's
    // reference to its brick's number; then every brick learns its
    // neighbours' numbers. The cells come in id order, that is by grid
    // layer, then row, then column, so the cells of one layer of bricks are
    // one run. Where a layer of bricks fits a table of moderate size,
    // bricks are found in such tables, one layer (and its two neighbours)
    // at a time; otherwise through an index over the whole grid.
    enum class Making { kAny, kByIndex };  // kByIndex: for tests of the second way
    void registerCells(Buffer<Cell>& cells, Making making = Making::kAny) {
        if (making == Making::kAny && std::uint64_t(bx_) * bz_ <= kLayerEntries &&
            layersInOrder(cells))
            makeBricksByLayer(cells);
        else
            makeBricksByIndex(cells);
        std::vector<Place>().swap(places_);
    }

    // Called from the thread that decided; the point joins its brick at the
    // end of the phase.
    void accept(const Cell& cell, const AcceptedPoint& point, int thread) {
        pending_[std::size_t(thread)].push_back(Pending{cell.ref, point});
    }

    void endPhase() {
        std::size_t total = 0;
        for (const std::vector<Pending>& list : pending_) total += list.size();
#pragma omp parallel for schedule(static, 1) num_threads(threads_) if (total >= 1024)
        for (int pool = 0; pool < threads_; ++pool) addPending(pool);
        for (std::vector<Pending>& list : pending_) list.clear();
    }

    // endPhase in two steps, for callers already running a team of
    // threads: every pool takes its points, and once all have, each thread
    // clears its own list. Each pool reads every list in the same order, so
    // a brick takes its points in one order whatever the thread count.
    int pools() const {
        return threads_;
    }
    void addPending(int pool) {
        for (const std::vector<Pending>& list : pending_)
            for (const Pending& p : list)
                if (poolOf(p.brick) == unsigned(pool)) add(p.brick, p.point);
    }
    void clearPending(int thread) {
        pending_[std::size_t(thread)].clear();
    }

    // Memory hints for a candidate tested soon: `prefetchOwnBrick` asks for
    // its brick and that brick's neighbour numbers (two cache lines),
    // `prefetchNearBricks` (a few candidates later, when those have arrived)
    // for the neighbour bricks a test will read. The second reads the
    // candidate's position, asked for earlier.
    void prefetchOwnBrick(const Cell& cell, const AcceptedPoint&) const {
        __builtin_prefetch(&bricks_[cell.ref]);
        __builtin_prefetch(&neighbours_[cell.ref].brick[0]);
        __builtin_prefetch(&neighbours_[cell.ref].brick[16]);
    }
    void prefetchNearBricks(const Cell& cell, const AcceptedPoint& c) const {
        const Neighbours& n = neighbours_[cell.ref];
        visitBricksInReach(cell, c, [&](unsigned int k) {
            if (k != kSelf && n.brick[k] != kNone) __builtin_prefetch(&bricks_[n.brick[k]]);
            return false;
        });
    }

    // Whether an accepted point lies within the radius of the candidate;
    // `by` (when given) gets that point's coordinates.
    bool rejects(const Cell& cell, const AcceptedPoint& c, float,
                 const float** by = nullptr) const {
        const Neighbours& n = neighbours_[cell.ref];
        const float* found = nullptr;
        const bool rejected = visitBricksInReach(cell, c, [&](unsigned int k) {
            const unsigned int brick = k == kSelf ? cell.ref : n.brick[k];
            return brick != kNone && (found = rejectedBy(brick, c)) != nullptr;
        });
        if (by != nullptr) *by = found;
        return rejected;
    }

    // Whether the accepted point at `by` lies within the radius of every
    // one of `count` candidates: then it rejects each of them whenever its
    // turn comes.
    bool rejectsAll(const float* by, const AcceptedPoint* candidates, unsigned int count,
                    float) const {
        for (unsigned int k = 0; k < count; ++k)
            if (!near(by, candidates[k])) return false;
        return true;
    }

private:
    // Calls visit(k) for the bricks that may hold a point within the radius
    // of candidate c (k: the brick's entry in Neighbours), until a call
    // returns true (then returns true). The candidate's own brick goes
    // first: that is where a rejecting point usually is. Of the other bricks
    // of the 2x2x2 around its 5x5x5 neighbourhood, those whose box lies
    // beyond the radius (sqrt(3) cells) are skipped.
    template <class Visit>
    bool visitBricksInReach(const Cell& cell, const AcceptedPoint& c, const Visit& visit) const {
        if (visit(kSelf)) return true;
        const int ox = cell.ix >> 2, oy = cell.iy >> 2, oz = cell.iz >> 2;
        const int x0 = (cell.ix - 2) >> 2, y0 = (cell.iy - 2) >> 2, z0 = (cell.iz - 2) >> 2;
        // Position in cells; rounding can place it a hair outside its cell,
        // so gaps shrink by a margin and the position is kept in its cell.
        const float gx = (c.x - grid_.minX) * inverseCell_, gy = (c.y - grid_.minY) * inverseCell_,
                    gz = (c.z - grid_.minZ) * inverseCell_;
        const float margin = 1.0e-4f + 4.0e-7f * (std::fabs(gx) + std::fabs(gy) + std::fabs(gz));
        float sx[2], sy[2], sz[2];  // squared gaps to the two bricks along each axis
        auto gaps = [margin](float g, int i, int b0, float* out) {
            const float f = std::min(std::max(g - static_cast<float>(i), 0.0f), 1.0f);
            for (int k = 0; k < 2; ++k) {
                const float low = static_cast<float>(4 * (b0 + k) - i);  // brick box, from the cell
                const float gap = std::max(0.0f, std::max(low - f, f - (low + 4.0f)) - margin);
                out[k] = gap * gap;
            }
        };
        gaps(gx, cell.ix, x0, sx);
        gaps(gy, cell.iy, y0, sy);
        gaps(gz, cell.iz, z0, sz);
        for (int dy = 0; dy < 2; ++dy)
            for (int dz = 0; dz < 2; ++dz)
                for (int dx = 0; dx < 2; ++dx) {
                    const int bx = x0 + dx - ox, by = y0 + dy - oy, bz = z0 + dz - oz;
                    if (bx == 0 && by == 0 && bz == 0) continue;
                    if (sx[dx] + sy[dy] + sz[dz] > 3.0001f) continue;
                    if (visit(unsigned(9 * (by + 1) + 3 * (bz + 1) + bx + 1))) return true;
                }
        return false;
    }

    struct Place {
        int bx, by, bz;
    };

    // Brick numbers over one layer of bricks (kNone where no brick is),
    // filled from and cleared by the places of the layer's bricks.
    struct LayerTable {
        std::vector<unsigned int> entry;
        int layer = -1;
    };
    std::size_t inLayer(int bx, int bz) const {
        return std::size_t(bz) * bx_ + std::size_t(bx);
    }
    void setLayer(LayerTable& table, int layer) const {
        if (table.layer == layer) return;
        if (table.layer >= 0 && unsigned(table.layer) < by_)
            for (unsigned int b = layerFirst_[std::size_t(table.layer)];
                 b < layerFirst_[std::size_t(table.layer) + 1]; ++b)
                table.entry[inLayer(places_[b].bx, places_[b].bz)] = kNone;
        table.layer = layer;
        if (layer < 0 || unsigned(layer) >= by_) return;
        for (unsigned int b = layerFirst_[std::size_t(layer)];
             b < layerFirst_[std::size_t(layer) + 1]; ++b)
            table.entry[inLayer(places_[b].bx, places_[b].bz)] = b;
    }

    // Whether each layer of bricks is one run of the cells, the layers in
    // order (so when ids run over 32 bits they may not).
    bool layersInOrder(const Buffer<Cell>& cells) const {
        bool inOrder = true;
        const long long count = static_cast<long long>(cells.size());
#pragma omp parallel for schedule(static) reduction(&& : inOrder) num_threads(threads_)
        for (long long c = 1; c < count; ++c)
            inOrder =
                inOrder && (cells[std::size_t(c)].iy >> 2) >= (cells[std::size_t(c) - 1].iy >> 2);
        return inOrder;
    }

    // Walks the cells [begin, end) in order, placing a brick where its first
    // cell comes: entryOf(place) is the table entry of a brick's place,
    // kNone until the brick is placed, and a placed brick's number is its
    // position in `places`. A cell's reference becomes its brick's number.
    template <class EntryOf>
    static void placeBricks(Buffer<Cell>& cells, std::size_t begin, std::size_t end,
                            std::vector<Place>& places, EntryOf entryOf) {
        unsigned int last = kNone;
        Place lastPlace{-1, -1, -1};
        for (std::size_t c = begin; c < end; ++c) {
            Cell& cell = cells[c];
            const Place p{cell.ix >> 2, cell.iy >> 2, cell.iz >> 2};
            // Neighbouring cells in a row usually share a brick.
            if (p.bx != lastPlace.bx || p.by != lastPlace.by || p.bz != lastPlace.bz) {
                unsigned int& e = entryOf(p);
                if (e == kNone) {
                    e = static_cast<unsigned int>(places.size());
                    places.push_back(p);
                }
                last = e;
                lastPlace = p;
            }
            cell.ref = last;
        }
    }

    // A brick that holds no point yet.
    static void clear(Brick& brick) {
        brick.count = 0;
        brick.overflow = kNone;
    }

    void makeBricksByLayer(Buffer<Cell>& cells) {
        // Each thread takes a run of whole layers of bricks (about equal
        // numbers of cells) and numbers its bricks from zero, finding them
        // in a table over one layer; then its numbers move up by the bricks
        // of the runs before. Bricks of layer L end up numbered from
        // layerFirst_[L] up to layerFirst_[L + 1].
        const std::size_t cellCount = cells.size();
        const auto runs = std::size_t(threads_);
        std::vector<std::size_t> begin(runs + 1, cellCount);
        begin[0] = 0;
        for (std::size_t t = 1; t < runs; ++t) {
            std::size_t c = std::max(begin[t - 1], cellCount * t / runs);
            while (c > 0 && c < cellCount && (cells[c].iy >> 2) == (cells[c - 1].iy >> 2)) ++c;
            begin[t] = c;
        }
        std::vector<std::vector<Place>> made(runs);
        std::vector<std::size_t> runFirst(runs + 1, 0);  // each run's first brick
#pragma omp parallel num_threads(threads_)
        {
            const auto member = std::size_t(omp_get_thread_num());
            const auto members = std::size_t(omp_get_num_threads());
            for (std::size_t t = member; t < runs; t += members) {
                std::vector<unsigned int> entry(std::size_t(bx_) * bz_, kNone);
                std::vector<Place>& places = made[t];
                int layer = -1;
                std::size_t layerBegin = 0;
                placeBricks(cells, begin[t], begin[t + 1], places,
                            [&](const Place& p) -> unsigned int& {
                                if (p.by != layer) {
                                    // The layer's bricks are all placed: clear their entries.
                                    for (std::size_t b = layerBegin; b < places.size(); ++b)
                                        entry[inLayer(places[b].bx, places[b].bz)] = kNone;
                                    layerBegin = places.size();
                                    layer = p.by;
                                }
                                return entry[inLayer(p.bx, p.bz)];
                            });
            }
#pragma omp barrier
#pragma omp single
            {
                for (std::size_t t = 0; t < runs; ++t)
                    runFirst[t + 1] = runFirst[t] + made[t].size();
                places_.resize(runFirst[runs]);
                for (std::size_t t = 0; t < runs; ++t)
                    std::copy(made[t].begin(), made[t].end(),
                              places_.begin() + std::ptrdiff_t(runFirst[t]));
                bricks_.resize(runFirst[runs]);
                layerFirst_.assign(std::size_t(by_) + 1, 0);
                std::size_t b = 0;
                for (std::size_t l = 0; l <= by_; ++l) {
                    while (b < places_.size() && std::size_t(places_[b].by) < l) ++b;
                    layerFirst_[l] = static_cast<unsigned int>(b);
                }
            }
            for (std::size_t t = member; t < runs; t += members) {
                const auto shift = static_cast<unsigned int>(runFirst[t]);
                if (shift != 0)
                    for (std::size_t c = begin[t]; c < begin[t + 1]; ++c) cells[c].ref += shift;
                for (std::size_t b = runFirst[t]; b < runFirst[t + 1]; ++b) clear(bricks_[b]);
            }
        }
        // Neighbours: each thread takes a run of layers, with the tables of
        // the layer below, the layer itself and the layer above.
        neighbours_.resize(bricks_.size());
#pragma omp parallel num_threads(threads_)
        {
            std::array<LayerTable, 3> tables;
            for (LayerTable& t : tables) t.entry.assign(std::size_t(bx_) * bz_, kNone);
            const auto team = unsigned(omp_get_num_threads());
            const auto member = unsigned(omp_get_thread_num());
            const int first = int(std::uint64_t(by_) * member / team);
            const int end = int(std::uint64_t(by_) * (member + 1) / team);
            for (int l = first; l < end; ++l) {
                // Layer l + d (d = -1, 0, 1) lives in tables[(l + d) mod 3].
                for (int d = -1; d <= 1; ++d) setLayer(tables[std::size_t((l + 3 + d) % 3)], l + d);
                for (unsigned int b = layerFirst_[std::size_t(l)];
                     b < layerFirst_[std::size_t(l) + 1]; ++b) {
                    const Place& p = places_[b];
                    Neighbours& n = neighbours_[b];
                    for (int dy = -1; dy <= 1; ++dy) {
                        const LayerTable& t = tables[std::size_t((l + 3 + dy) % 3)];
                        const bool inGrid = t.layer >= 0 && unsigned(t.layer) < by_;
                        for (int dz = -1; dz <= 1; ++dz)
                            for (int dx = -1; dx <= 1; ++dx) {
                                const int x = p.bx + dx, z = p.bz + dz;
                                n.brick[9 * (dy + 1) + 3 * (dz + 1) + dx + 1] =
                                    inGrid && x >= 0 && z >= 0 && unsigned(x) < bx_ &&
                                            unsigned(z) < bz_
                                        ? t.entry[inLayer(x, z)]
                                        : kNone;
                            }
                    }
                }
            }
        }
        std::vector<unsigned int>().swap(layerFirst_);
    }

    void makeBricksByIndex(Buffer<Cell>& cells) {
        std::vector<unsigned int> blockIndex(
            flat_ ? std::size_t(bx_) * by_ * bz_
                  : std::size_t(blocksX_) * blocksZ_ * ((by_ + 15) / 16),
            kNone);
        std::vector<unsigned int> brickIndex;
        // The index entry of a brick of the grid, its block made if need be.
        auto entryOf = [&](const Place& p) -> unsigned int& {
            if (flat_) return blockIndex[flatOf(p.bx, p.by, p.bz)];
            unsigned int& block = blockIndex[blockOf(p.bx, p.by, p.bz)];
            if (block == kNone) {
                block = static_cast<unsigned int>(brickIndex.size() / kBlockBricks);
                brickIndex.resize(brickIndex.size() + kBlockBricks, kNone);
            }
            return brickIndex[std::size_t(block) * kBlockBricks + inBlock(p.bx, p.by, p.bz)];
        };
        // The number of a brick, kNone outside the grid or where no cell lies.
        auto find = [&](int bx, int by, int bz) {
            if (outside(bx, by, bz)) return kNone;
            if (flat_) return blockIndex[flatOf(bx, by, bz)];
            const unsigned int block = blockIndex[blockOf(bx, by, bz)];
            if (block == kNone) return kNone;
            return brickIndex[std::size_t(block) * kBlockBricks + inBlock(bx, by, bz)];
        };
        placeBricks(cells, 0, cells.size(), places_, entryOf);
        bricks_.resize(places_.size());
        for (Brick& brick : bricks_) clear(brick);
        const long long count = static_cast<long long>(bricks_.size());
        neighbours_.resize(bricks_.size());
#pragma omp parallel for schedule(static) num_threads(threads_)
        for (long long b = 0; b < count; ++b) {
            const Place& p = places_[std::size_t(b)];
            Neighbours& n = neighbours_[std::size_t(b)];
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz)
                    for (int dx = -1; dx <= 1; ++dx)
                        n.brick[9 * (dy + 1) + 3 * (dz + 1) + dx + 1] =
                            find(p.bx + dx, p.by + dy, p.bz + dz);
        }
    }

    struct Pending {
        unsigned int brick;
        AcceptedPoint point;
    };

    unsigned int poolOf(unsigned int brick) const {
        return brick % unsigned(threads_);
    }

    bool near(const float* q, const AcceptedPoint& c) const {
        const float dx = c.x - q[0], dy = c.y - q[1], dz = c.z - q[2];
        return dx * dx + dy * dy + dz * dz <= squaredLimit_;
    }

    // The first point of the brick within the radius of c (null if none).
    const float* rejectedBy(unsigned int number, const AcceptedPoint& c) const {
        const Brick& brick = bricks_[number];
        const unsigned int inlineCount = std::min(brick.count, kInline);
        for (unsigned int k = 0; k < inlineCount; ++k) {
            if (near(brick.xyz[k], c)) return brick.xyz[k];
        }
        unsigned int left = brick.count - inlineCount;
        if (left == 0) return nullptr;
        const std::vector<Chunk>& chunks = chunks_[poolOf(number)];
        for (unsigned int chunk = brick.overflow; left > 0; chunk = chunks[chunk].next) {
            const unsigned int n = std::min(left, kInline);
            for (unsigned int k = 0; k < n; ++k) {
                if (near(chunks[chunk].xyz[k], c)) return chunks[chunk].xyz[k];
            }
            left -= n;
        }
        return nullptr;
    }

    // Only the thread of the brick's pool adds to it.
    void add(unsigned int number, const AcceptedPoint& point) {
        Brick& brick = bricks_[number];
        std::vector<Chunk>& chunks = chunks_[poolOf(number)];
        const unsigned int k = brick.count++;
        float* target;
        if (k < kInline) {
            target = brick.xyz[k];
        } else {
            // Walk to the chunk holding slot k, appending one when it starts.
            unsigned int* link = &brick.overflow;
            for (unsigned int skip = (k - kInline) / kInline; skip > 0; --skip) {
                link = &chunks[*link].next;
            }
            // `link` may point into chunks, which emplace_back can move: the
            // chunk index is read before the vector grows.
            const bool starts = (k - kInline) % kInline == 0;
            if (starts) *link = static_cast<unsigned int>(chunks.size());
            const unsigned int chunk = *link;
            if (starts) chunks.emplace_back();
            target = chunks[chunk].xyz[(k - kInline) % kInline];
        }
        target[0] = point.x;
        target[1] = point.y;
        target[2] = point.z;
    }

    std::size_t flatOf(int bx, int by, int bz) const {
        return (std::size_t(by) * bz_ + std::size_t(bz)) * bx_ + std::size_t(bx);
    }
    std::size_t blockOf(int bx, int by, int bz) const {
        return (std::size_t(by >> kBlockBits) * blocksZ_ + std::size_t(bz >> kBlockBits)) *
                   blocksX_ +
               std::size_t(bx >> kBlockBits);
    }
    static unsigned int inBlock(int bx, int by, int bz) {
        const unsigned int mask = (1u << kBlockBits) - 1;
        return (unsigned(bx) & mask) | ((unsigned(bz) & mask) << kBlockBits) |
               ((unsigned(by) & mask) << (2 * kBlockBits));
    }
    bool outside(int bx, int by, int bz) const {
        return bx < 0 || by < 0 || bz < 0 || unsigned(bx) >= bx_ || unsigned(by) >= by_ ||
               unsigned(bz) >= bz_;
    }

    GridFrame grid_;
    float inverseCell_;
    float squaredLimit_;
    int threads_;  // threads of the trials, and overflow pools
    unsigned int bx_, by_, bz_;
    unsigned int blocksX_, blocksZ_;
    bool flat_;  // one index table over the whole grid
    // While bricks are made: each brick's grid position, and the first
    // brick of each layer.
    std::vector<Place> places_;
    std::vector<unsigned int> layerFirst_;
    Buffer<Brick> bricks_;                    // count and overflow set when made
    Buffer<Neighbours> neighbours_;           // written by the threads that make them
    std::vector<std::vector<Chunk>> chunks_;  // one overflow pool per thread
    std::vector<std::vector<Pending>> pending_;
};

// Accepted points by cell id in an open-addressing map: the general case,
// where ids wrap or rows alias and only id arithmetic finds neighbours. Ids
// that differ only in their low three bits share a block of eight slots, so
// x-neighbours are usually one cache line away. A point is visible as soon as
// it is accepted.
class IdStore {
    struct Slot {
        unsigned int key;
        unsigned int state;  // kUnused, kNone or kAccepted
        AcceptedPoint point;
    };
    static constexpr unsigned int kUnused = 0xFFFFFFFEu;
    static constexpr unsigned int kAccepted = 1u;

public:
    IdStore(std::size_t cellCount, const GridFrame& grid, bool pruneNeighbours)
        : grid_(grid), prune_(pruneNeighbours) {
        std::size_t size = 16;
        while (size < 2 * cellCount) size *= 2;
        mask_ = static_cast<unsigned int>(size - 1);
        while ((std::size_t(1) << shift_) < size / 8) ++shift_;
        slots_.assign(size, Slot{0u, kUnused, AcceptedPoint{}});
        const auto& offsets = neighbourOffsets();
        for (unsigned int o = 0; o < 124; ++o) {
            offsetIds_[o] = static_cast<unsigned int>(offsets[o].ox) +
                            static_cast<unsigned int>(offsets[o].oz) * grid.stepZ +
                            static_cast<unsigned int>(offsets[o].oy) * grid.stepY;
        }
    }

    void registerCells(Buffer<Cell>& cells) {
        for (Cell& cell : cells) cell.ref = addCell(cell);
    }

    void prefetchOwnBrick(const Cell&, const AcceptedPoint&) const {}
    void prefetchNearBricks(const Cell&, const AcceptedPoint&) const {}

    void accept(const Cell& cell, const AcceptedPoint& point, int) {
        Slot& slot = slots_[cell.ref];
        slot.point = point;
        __atomic_store_n(&slot.state, kAccepted, __ATOMIC_RELEASE);
    }
    void endPhase() {}
    // Points are visible as soon as they are accepted: nothing waits.
    int pools() const { return 0; }
    void addPending(int) {}
    void clearPending(int) {}

    // Whether the accepted point at `by` lies within `radius` of every one
    // of `count` candidates.
    bool rejectsAll(const float* by, const AcceptedPoint* candidates, unsigned int count,
                    float radius) const {
        for (unsigned int k = 0; k < count; ++k) {
            const AcceptedPoint& c = candidates[k];
            if (!withinRadius(c.x, c.y, c.z, by[0], by[1], by[2], radius)) return false;
        }
        return true;
    }

    // Whether an accepted point of the 124 neighbour cells lies within
    // `radius` of the candidate. Neighbours are tried nearest first; a box
    // beyond the radius is skipped.
    bool rejects(const Cell& cell, const AcceptedPoint& c, float radius,
                 const float** by = nullptr) const {
        const float cs = grid_.cellSize;
        // Position inside the cell, in cells; only meaningful for a point on
        // the grid's side of the origin.
        const float gx = (c.x - grid_.minX) / cs, gy = (c.y - grid_.minY) / cs,
                    gz = (c.z - grid_.minZ) / cs;
        const bool prune = prune_ && gx >= 0.0f && gy >= 0.0f && gz >= 0.0f && gx < 1.0e9f &&
                           gy < 1.0e9f && gz < 1.0e9f;
        float fx = 0, fy = 0, fz = 0, margin = 0;
        if (prune) {
            fx = gx - floorf(gx);
            fy = gy - floorf(gy);
            fz = gz - floorf(gz);
            // Rounding can place a point a hair outside its box; the margin
            // keeps every skipped box certainly out of reach.
            margin = 1.0e-4f + 4.0e-7f * (gx + gy + gz);
        }
        const auto& offsets = neighbourOffsets();
        for (unsigned int o = 0; o < 124; ++o) {
            const NeighbourOffset& off = offsets[o];
            if (prune) {
                const float ax = std::max(0.0f, axisGap(off.ox, fx) - margin);
                const float ay = std::max(0.0f, axisGap(off.oy, fy) - margin);
                const float az = std::max(0.0f, axisGap(off.oz, fz) - margin);
                if (ax * ax + ay * ay + az * az > 3.0001f) continue;
            }
            const AcceptedPoint* q = find(cell.key + offsetIds_[o]);
            if (q != nullptr && withinRadius(c.x, c.y, c.z, q->x, q->y, q->z, radius)) {
                if (by != nullptr) *by = &q->x;
                return true;
            }
        }
        return false;
    }

private:
    unsigned int addCell(const Cell& cell) {
        unsigned int slot = home(cell.key);
        while (slots_[slot].state != kUnused) slot = (slot + 1) & mask_;
        slots_[slot].key = cell.key;
        slots_[slot].state = kNone;
        return slot;
    }

    const AcceptedPoint* find(unsigned int key) const {
        for (unsigned int slot = home(key);; slot = (slot + 1) & mask_) {
            const Slot& s = slots_[slot];
            if (s.state == kUnused) return nullptr;
            if (s.key == key) {
                return __atomic_load_n(&s.state, __ATOMIC_ACQUIRE) == kAccepted ? &s.point
                                                                                : nullptr;
            }
        }
    }
    unsigned int home(unsigned int key) const {
        const unsigned int block = ((key >> 3) * 2654435761u) >> (32 - shift_);
        return ((block << 3) | (key & 7u)) & mask_;
    }

    GridFrame grid_;
    bool prune_;
    std::array<unsigned int, 124> offsetIds_{};
    std::vector<Slot> slots_;
    unsigned int mask_ = 0;
    unsigned int shift_ = 0;
};

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
        // lower edge b / scale_ of bin b. Four bins per element keep the
        // walk from a bin's guide short where small elements crowd.
        bins_ = count <= (1u << 24) ? 4u * count : count;
        scale_ = double(bins_) / double(total);
        guide_.resize(bins_);
        unsigned int t = 0;
        for (unsigned int b = 0; b < bins_; ++b) {
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
        unsigned int t = guide_[startBin(r)];
        while (t < count_ && !(target < cumulative_[t])) ++t;
        return t < count_ ? t : count_ - 1;
    }

    // Memory hints for a pick made soon: `prefetchGuide` asks for the guide
    // entry; `likely` (once that entry has arrived) gives the element the
    // walk starts from, whose data the caller can ask for in turn.
    void prefetchGuide(float r) const {
        if (usable_) __builtin_prefetch(&guide_[startBin(r)]);
    }
    unsigned int likely(float r) const {
        if (!usable_) return 0;
        const unsigned int t = guide_[startBin(r)];
        __builtin_prefetch(&cumulative_[t < count_ ? t : count_ - 1]);
        return t < count_ ? t : count_ - 1;
    }

private:
    // The bin before the one r * total falls in: one bin back keeps the
    // start at or below the answer despite rounding.
    std::size_t startBin(float r) const {
        const double position = double(total_ * r) * scale_;
        std::size_t bin = position > 0.0 ? static_cast<std::size_t>(position) : 0;
        bin = bin >= bins_ ? bins_ - 1 : bin;
        return bin > 0 ? bin - 1 : 0;
    }

    const float* cumulative_;
    unsigned int count_;
    float total_;
    unsigned int bins_ = 0;
    bool usable_ = false;
    double scale_ = 0.0;
    std::vector<unsigned int> guide_;
};

// Stable sort of (key, value) pairs by key, least significant digit first:
// the order a stable comparison sort gives, in as few linear passes as digits
// of at most 12 bits cover the largest key (two up to 2^24, three beyond).
// Each thread counts and then moves one contiguous slice, and the slices keep
// their order, so the result does not depend on the thread count.
// The passes move the pairs back and forth between (keys, values) and the
// buffers; returns true when the sorted pairs end in the buffers.
template <class Value>
bool radixSortPasses(unsigned int* keys, Value* values, unsigned int* keyBuffer, Value* valueBuffer,
                     std::size_t n, bool serial) {
    if (n < 2) return false;
    const long long count = static_cast<long long>(n);
    unsigned int maxKey = 0;
#pragma omp parallel for reduction(max : maxKey) schedule(static) if (!serial)
    for (long long i = 0; i < count; ++i) maxKey = std::max(maxKey, keys[i]);
    unsigned int keyBits = 1;
    while (keyBits < 32 && (maxKey >> keyBits) != 0) ++keyBits;
    const unsigned int passes = (keyBits + 11) / 12;
    const unsigned int kBits = (keyBits + passes - 1) / passes;
    const unsigned int kBins = 1u << kBits;

    const int threads = serial ? 1 : std::max(1, omp_get_max_threads());
    unsigned int *srcKeys = keys, *dstKeys = keyBuffer;
    Value *srcValues = values, *dstValues = valueBuffer;
    std::vector<std::size_t> offsets(std::size_t(threads) * kBins);
    auto sliceBegin = [&](int t) { return n * std::size_t(t) / std::size_t(threads); };
    for (unsigned int shift = 0; shift < passes * kBits; shift += kBits) {
        std::fill(offsets.begin(), offsets.end(), std::size_t(0));
#pragma omp parallel for schedule(static, 1) num_threads(threads)
        for (int t = 0; t < threads; ++t) {
            std::size_t* histogram = offsets.data() + std::size_t(t) * kBins;
            for (std::size_t i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i)
                ++histogram[(srcKeys[i] >> shift) & (kBins - 1)];
        }
        // A digit that all keys share moves nothing.
        bool oneDigit = false;
        for (unsigned int d = 0; d < kBins && !oneDigit; ++d) {
            std::size_t total = 0;
            for (int t = 0; t < threads; ++t) total += offsets[std::size_t(t) * kBins + d];
            if (total == n) oneDigit = true;
            if (total != 0) break;
        }
        if (oneDigit) continue;
        std::size_t running = 0;
        for (unsigned int d = 0; d < kBins; ++d)
            for (int t = 0; t < threads; ++t) {
                std::size_t& slot = offsets[std::size_t(t) * kBins + d];
                const std::size_t c = slot;
                slot = running;
                running += c;
            }
#pragma omp parallel for schedule(static, 1) num_threads(threads)
        for (int t = 0; t < threads; ++t) {
            std::size_t* next = offsets.data() + std::size_t(t) * kBins;
            for (std::size_t i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i) {
                const std::size_t o = next[(srcKeys[i] >> shift) & (kBins - 1)]++;
                dstKeys[o] = srcKeys[i];
                dstValues[o] = srcValues[i];
            }
        }
        std::swap(srcKeys, dstKeys);
        std::swap(srcValues, dstValues);
    }
    return srcKeys != keys;
}

template <class Value>
void radixSortByKey(unsigned int* keys, Value* values, std::size_t n, bool serial) {
    if (n < 2) return;
    Buffer<unsigned int> keyBuffer(n);
    Buffer<Value> valueBuffer(n);
    if (radixSortPasses(keys, values, keyBuffer.data(), valueBuffer.data(), n, serial)) {
        std::copy(keyBuffer.begin(), keyBuffer.end(), keys);
        std::copy(valueBuffer.begin(), valueBuffer.end(), values);
    }
}

// The same for whole vectors: where the pairs end in the buffers, the
// vectors swap storage with them instead of copying back.
template <class Value, class KeyAllocator, class ValueAllocator>
void radixSortByKey(std::vector<unsigned int, KeyAllocator>& keys,
                    std::vector<Value, ValueAllocator>& values, bool serial) {
    const std::size_t n = keys.size();
    if (n < 2) return;
    std::vector<unsigned int, KeyAllocator> keyBuffer(n);
    std::vector<Value, ValueAllocator> valueBuffer(n);
    if (radixSortPasses(keys.data(), values.data(), keyBuffer.data(), valueBuffer.data(), n,
                        serial)) {
        keys.swap(keyBuffer);
        values.swap(valueBuffer);
    }
}

// Candidates sorted by cell, stably (a cell's candidates keep their order):
// their cell ids in `ids` and, in the same order, each candidate's position
// and index in `points`. Large inputs take one pass over memory: the first
// pass moves the candidates by the highest digit of their cell id into
// buckets of a few thousand, gathering their positions from the coordinate
// arrays on the way; then each bucket, which fits in cache, is sorted by the
// rest of the id, least significant digit first, through a small buffer of
// its thread. Buckets go to whichever thread is free.
inline void sortCandidatesByCell(const unsigned int* cellIds, const float* x, const float* y,
                                 const float* z, std::size_t n, Buffer<unsigned int>& ids,
                                 Buffer<AcceptedPoint>& points, bool serial) {
    const int threads = serial ? 1 : std::max(1, omp_get_max_threads());
    const long long count = static_cast<long long>(n);
    constexpr std::size_t kBucketTarget = 4096;  // candidates per bucket, on average
    if (n < 16 * kBucketTarget) {
        ids.assign(cellIds, cellIds + n);
        points.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            points[i] = AcceptedPoint{x[i], y[i], z[i], static_cast<unsigned int>(i)};
        radixSortByKey(ids, points, serial);
        return;
    }
    unsigned int maxKey = 0;
#pragma omp parallel for reduction(max : maxKey) schedule(static) num_threads(threads)
    for (long long i = 0; i < count; ++i) maxKey = std::max(maxKey, cellIds[i]);
    unsigned int keyBits = 1;
    while (keyBits < 32 && (maxKey >> keyBits) != 0) ++keyBits;
    unsigned int highBits = 1;
    while (highBits < 12 && (n >> highBits) > kBucketTarget) ++highBits;
    highBits = std::min(highBits, keyBits);
    const unsigned int lowBits = keyBits - highBits;
    const std::size_t buckets = std::size_t(1) << highBits;
    auto high = [lowBits](unsigned int key) { return std::size_t(key >> lowBits); };

    // The pass by the highest digit, each thread counting and then moving
    // one contiguous slice (slices keep their order). The outputs are
    // touched first, in order, by both threads: page faults taken at
    // scattered places cost far more.
    ids.resize(n);
    points.resize(n);
    {
        constexpr std::size_t kPage = 4096;
        char* idBytes = reinterpret_cast<char*>(ids.data());
        char* pointBytes = reinterpret_cast<char*>(points.data());
        const long long idPages = static_cast<long long>((n * sizeof(unsigned int)) / kPage);
        const long long pointPages = static_cast<long long>((n * sizeof(AcceptedPoint)) / kPage);
#pragma omp parallel for schedule(static) num_threads(threads)
        for (long long p = 0; p < idPages + pointPages; ++p) {
            if (p < idPages)
                idBytes[std::size_t(p) * kPage] = 0;
            else
                pointBytes[std::size_t(p - idPages) * kPage] = 0;
        }
    }
    std::vector<std::size_t> offsets(std::size_t(threads) * buckets, 0);
    auto sliceBegin = [&](int t) { return n * std::size_t(t) / std::size_t(threads); };
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        std::size_t* histogram = offsets.data() + std::size_t(t) * buckets;
        for (std::size_t i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i)
            ++histogram[high(cellIds[i])];
    }
    std::vector<std::size_t> bucketStart(buckets + 1, 0);
    std::size_t running = 0;
    for (std::size_t d = 0; d < buckets; ++d) {
        bucketStart[d] = running;
        for (int t = 0; t < threads; ++t) {
            std::size_t& slot = offsets[std::size_t(t) * buckets + d];
            const std::size_t c = slot;
            slot = running;
            running += c;
        }
    }
    bucketStart[buckets] = n;
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        std::size_t* next = offsets.data() + std::size_t(t) * buckets;
        for (std::size_t i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i) {
            const std::size_t o = next[high(cellIds[i])]++;
            ids[o] = cellIds[i];
            points[o] = AcceptedPoint{x[i], y[i], z[i], static_cast<unsigned int>(i)};
        }
    }

    // Each bucket by the low bits, moving between its place and the
    // thread's buffer, and back after an odd count of passes.
    const unsigned int passes = (lowBits + 10) / 11;
    if (passes == 0) return;
    const unsigned int bits = (lowBits + passes - 1) / passes;
    std::size_t largest = 0;
    for (std::size_t b = 0; b < buckets; ++b)
        largest = std::max(largest, bucketStart[b + 1] - bucketStart[b]);
    const long long bucketCount = static_cast<long long>(buckets);
#pragma omp parallel num_threads(threads)
    {
        std::vector<std::uint32_t> histogram(std::size_t(1) << bits);
        Buffer<unsigned int> keyBuffer(largest);
        Buffer<AcceptedPoint> pointBuffer(largest);
#pragma omp for schedule(dynamic, 16)
        for (long long b = 0; b < bucketCount; ++b) {
            const std::size_t begin = bucketStart[std::size_t(b)];
            const std::size_t size = bucketStart[std::size_t(b) + 1] - begin;
            if (size < 2) continue;
            unsigned int* srcKeys = ids.data() + begin;
            AcceptedPoint* srcPoints = points.data() + begin;
            unsigned int* dstKeys = keyBuffer.data();
            AcceptedPoint* dstPoints = pointBuffer.data();
            const unsigned int mask = (1u << bits) - 1;
            for (unsigned int pass = 0; pass < passes; ++pass) {
                const unsigned int shift = pass * bits;
                std::fill(histogram.begin(), histogram.end(), 0u);
                for (std::size_t i = 0; i < size; ++i) ++histogram[(srcKeys[i] >> shift) & mask];
                std::uint32_t sum = 0;
                for (std::uint32_t& h : histogram) {
                    const std::uint32_t c = h;
                    h = sum;
                    sum += c;
                }
                for (std::size_t i = 0; i < size; ++i) {
                    const std::uint32_t o = histogram[(srcKeys[i] >> shift) & mask]++;
                    dstKeys[o] = srcKeys[i];
                    dstPoints[o] = srcPoints[i];
                }
                std::swap(srcKeys, dstKeys);
                std::swap(srcPoints, dstPoints);
            }
            if (srcKeys != ids.data() + begin) {
                std::copy(srcKeys, srcKeys + size, ids.data() + begin);
                std::copy(srcPoints, srcPoints + size, points.data() + begin);
            }
        }
    }
}

struct Input {
    const unsigned int* sortedCellId;  // cell id per sorted position
    const AcceptedPoint* points;       // candidate and its position per sorted position
    unsigned int candidateCount;       // N
    unsigned int acceptedCount;        // points carried over from earlier passes
    GridFrame grid;
    float radius;
    unsigned int trials;
    const unsigned short* phaseMap;
    unsigned int gridCellsX;  // nx
    unsigned int gridCellsZ;  // nz
    // Called after each trial with the share of trials done; returning true
    // stops the selection (nothing is selected then). May be empty.
    std::function<bool(float)> trialDone;
    // Memory of the cells and phase lists (the global heap when null).
    std::pmr::memory_resource* workspace = nullptr;
};

// The cells of one phase that still have work; a cell's candidates are
// read where the sort left them (in.points from cell.start on), at most
// one per trial.
struct PhaseWork {
    struct Item {
        Cell cell;           // a copy (the trials read items in order) whose
                             // count is the candidates the cell may try
        unsigned int index;  // the cell's number
    };
    Buffer<Item> items;
};

// Phase of a cell: its grid indices modulo 3, permuted by the phase map.
inline unsigned int phaseOfCell(const Cell& cell, const unsigned short* phaseMap) {
    return phaseMap[9u * (unsigned(cell.iy) % 3u) + 3u * (unsigned(cell.iz) % 3u) +
                    unsigned(cell.ix) % 3u];
}

// A run of a phase's items that lie in one layer of cells (one iy).
struct LayerRun {
    int iy;
    std::size_t begin, end;  // items of the phase
};

// Tests the items [begin, end) of a phase for trial t. Items whose cell
// still has work (no point yet and another candidate for the next trial)
// are moved to the front of the range; returns how many.
template <class Store>
std::size_t testItems(const Input& in, Store& store, PhaseWork& work, std::size_t begin,
                      std::size_t end, unsigned int t, int thread, Buffer<unsigned int>& chosen) {
    // How far ahead the memory hints run, in items.
    constexpr std::size_t kPointAhead = 24, kOwnBrickAhead = 16, kNearBricksAhead = 8;
    // The first items' hints, which no earlier item of the range gave.
    for (std::size_t i = begin; i < std::min(end, begin + kPointAhead); ++i) {
        const Cell& ahead = work.items[i].cell;
        __builtin_prefetch(in.points + ahead.start + t);
        if (i < begin + kOwnBrickAhead) store.prefetchOwnBrick(ahead, in.points[ahead.start + t]);
    }
    std::size_t out = begin;
    for (std::size_t i = begin; i < end; ++i) {
        if (i + kPointAhead < end)
            __builtin_prefetch(in.points + work.items[i + kPointAhead].cell.start + t);
        if (i + kOwnBrickAhead < end) {
            const Cell& ahead = work.items[i + kOwnBrickAhead].cell;
            store.prefetchOwnBrick(ahead, in.points[ahead.start + t]);
        }
        if (i + kNearBricksAhead < end) {
            const Cell& ahead = work.items[i + kNearBricksAhead].cell;
            store.prefetchNearBricks(ahead, in.points[ahead.start + t]);
        }
        const PhaseWork::Item item = work.items[i];
        const AcceptedPoint* candidate = in.points + item.cell.start + t;
        const float* by = nullptr;
        if (!store.rejects(item.cell, *candidate, in.radius, &by)) {
            store.accept(item.cell, *candidate, thread);
            chosen[item.index] = item.cell.start + t;
        } else if (item.cell.count > t + 1 &&
                   !store.rejectsAll(by, candidate + 1, item.cell.count - t - 1, in.radius)) {
            // A cell whose later candidates all lie within the radius of the
            // point that rejected this one can accept none of them: it
            // leaves the trials.
            work.items[out++] = item;
        }
    }
    return out - begin;
}

// Each trial in phase order: one sweep over the grid per phase. Chunks of
// items go to whichever thread is free; the kept runs of the chunks are
// closed up afterwards in chunk order.
template <class Store>
bool trialsByPhase(const Input& in, std::array<PhaseWork, 27>& phases, Store& store, bool serial,
                   unsigned int firstTrial, Buffer<unsigned int>& chosen) {
    constexpr std::size_t kChunk = 1024;
    std::vector<std::size_t> kept;
    for (unsigned int t = firstTrial; t < in.trials; ++t) {
        for (unsigned int phase = 0; phase < 27; ++phase) {
            PhaseWork& work = phases[phase];
            const std::size_t count = work.items.size();
            if (count == 0) continue;
            const long long chunks = static_cast<long long>((count + kChunk - 1) / kChunk);
            kept.assign(std::size_t(chunks), 0);
            // Later trials leave few cells per phase: waking the team and
            // meeting at its barrier would cost more than the tests.
#pragma omp parallel for schedule(dynamic, 1) if (!serial && count >= 4096)
            for (long long chunk = 0; chunk < chunks; ++chunk) {
                const std::size_t begin = std::size_t(chunk) * kChunk;
                kept[std::size_t(chunk)] =
                    testItems(in, store, work, begin, std::min(count, begin + kChunk), t,
                              omp_get_thread_num(), chosen);
            }
            store.endPhase();
            std::size_t size = kept[0];
            for (long long chunk = 1; chunk < chunks; ++chunk) {
                const auto from =
                    work.items.begin() + std::ptrdiff_t(chunk) * std::ptrdiff_t(kChunk);
                std::copy(from, from + std::ptrdiff_t(kept[std::size_t(chunk)]),
                          work.items.begin() + std::ptrdiff_t(size));
                size += kept[std::size_t(chunk)];
            }
            work.items.resize(size);
        }
        if (in.trialDone && in.trialDone(static_cast<float>(t + 1) / static_cast<float>(in.trials)))
            return false;
    }
    return true;
}

// The first trial as a wavefront over slabs of cell layers, for a store
// whose points join at the end of a step. Within a trial a cell decides on
// the points of the cells up to two layers away (farther ones lie beyond
// the radius) that come before it in phase order, and must not see those
// that come after it. With slabs of kSlabLayers layers (four, one layer of
// bricks; any two or more would do), those cells lie in the slab itself or
// the two next to it, and
// slab s of phase p runs at step s + 2p: a cell of a neighbouring slab comes
// at least one step earlier when its phase is earlier and at least one step
// later when it is later, and the slabs of one step lie two slabs apart, so
// they decide independently. Every cell decides exactly as in the sweep by
// phase, while the steps read the bricks of a band of about 54 slabs, which
// the cache holds; the sweep by phase reads every brick from memory once per
// phase. Each step ends at a barrier, so the slabs are as thick as keeps
// that band in cache: thinner ones were no faster on a quiet machine, and
// their many barriers cost much more when the threads share their cores
// with other work. The first trial tests every cell; the later ones test
// few, and the sweep by phase serves them. `runs` holds each phase's items
// by layer, in order. Returns false when in.trialDone stopped the selection.
constexpr long long kSlabLayers = 4, kSlabSkew = 2;
template <class Store>
bool firstTrialByLayer(const Input& in, std::array<PhaseWork, 27>& phases,
                       const std::array<std::vector<LayerRun>, 27>& runs, Store& store, bool serial,
                       Buffer<unsigned int>& chosen) {
    // The steps' tasks: runs of at most kTask items.
    constexpr std::size_t kTask = 256;
    struct Task {
        unsigned int phase;
        std::size_t begin, end, kept;
    };
    std::vector<Task> tasks;
    std::vector<std::size_t> stepBegin;
    long long steps = 0;
    for (unsigned int phase = 0; phase < 27; ++phase)
        if (!runs[phase].empty())
            steps = std::max(steps, runs[phase].back().iy / kSlabLayers + kSlabSkew * phase + 1);
    std::array<std::size_t, 27> next{};  // each phase's next run
    for (long long step = 0; step < steps; ++step) {
        stepBegin.push_back(tasks.size());
        for (unsigned int phase = 0; phase < 27; ++phase) {
            const std::vector<LayerRun>& list = runs[phase];
            std::size_t& r = next[phase];
            for (; r < list.size() && list[r].iy / kSlabLayers == step - kSlabSkew * phase; ++r)
                for (std::size_t b = list[r].begin; b < list[r].end; b += kTask)
                    tasks.push_back(Task{phase, b, std::min(list[r].end, b + kTask), 0});
        }
    }
    stepBegin.push_back(tasks.size());

#pragma omp parallel num_threads(serial ? 1 : std::max(1, omp_get_max_threads()))
    {
        const int thread = omp_get_thread_num(), threads = omp_get_num_threads();
        for (long long step = 0; step < steps; ++step) {
            const long long first = static_cast<long long>(stepBegin[std::size_t(step)]);
            const long long last = static_cast<long long>(stepBegin[std::size_t(step) + 1]);
            if (first == last) continue;
#pragma omp for schedule(dynamic, 1)
            for (long long k = first; k < last; ++k) {
                Task& task = tasks[std::size_t(k)];
                task.kept = testItems(in, store, phases[task.phase], task.begin, task.end, 0,
                                      thread, chosen);
            }
            for (int pool = thread; pool < store.pools(); pool += threads) store.addPending(pool);
#pragma omp barrier
            store.clearPending(thread);
        }
    }

    // Close up each phase's kept items in item order (a phase's tasks come
    // in that order).
    std::array<std::size_t, 27> size{};
    for (const Task& task : tasks) {
        PhaseWork& work = phases[task.phase];
        const auto from = work.items.begin() + std::ptrdiff_t(task.begin);
        std::copy(from, from + std::ptrdiff_t(task.kept),
                  work.items.begin() + std::ptrdiff_t(size[task.phase]));
        size[task.phase] += task.kept;
    }
    for (unsigned int phase = 0; phase < 27; ++phase) phases[phase].items.resize(size[phase]);
    return !(in.trialDone && in.trialDone(1.0f / static_cast<float>(in.trials)));
}

// Runs the trials over the phases; `chosen` gets the sorted position of
// each cell's accepted candidate (kNone for none). `layered`: the cells come
// in layer order (iy never decreases), which the wavefront over layers
// needs. False when in.trialDone stopped it.
template <class Store>
bool runTrials(const Input& in, const Buffer<Cell>& cells, Store& store, bool serial, bool layered,
               Buffer<unsigned int>& chosen) {
    const unsigned int cellCount = static_cast<unsigned int>(cells.size());
    const int threads = serial ? 1 : std::max(1, omp_get_max_threads());
    auto sliceBegin = [&](int t) {
        return static_cast<unsigned int>(std::uint64_t(cellCount) * std::uint64_t(t) /
                                         std::uint64_t(threads));
    };

    // Cells holding a point of an earlier pass are occupied from the start;
    // that point sorts first in its cell (lowest candidate index). The others
    // go to the work of their phase, in cell order: each thread counts the
    // items of its slice of cells per phase, then writes them at its offsets
    // (noting, for the wavefront, where each layer's items begin).
    using PhaseCounts = std::array<std::size_t, 27>;
    std::vector<PhaseCounts> itemsBefore(std::size_t(threads), PhaseCounts{});
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        PhaseCounts& items = itemsBefore[std::size_t(t)];
        for (unsigned int c = sliceBegin(t), end = sliceBegin(t + 1); c < end; ++c) {
            const Cell& cell = cells[c];
            if (in.points[cell.start].candidate < in.acceptedCount) continue;
            ++items[phaseOfCell(cell, in.phaseMap)];
        }
    }
    std::array<PhaseWork, 27> phases;
    for (unsigned int phase = 0; phase < 27; ++phase) {
        phases[phase].items =
            Buffer<PhaseWork::Item>(UninitialisedAllocator<PhaseWork::Item>(in.workspace));
        std::size_t items = 0;
        for (int t = 0; t < threads; ++t) {
            const std::size_t i = itemsBefore[std::size_t(t)][phase];
            itemsBefore[std::size_t(t)][phase] = items;
            items += i;
        }
        phases[phase].items.resize(items);
    }
    using PhaseRuns = std::array<std::vector<LayerRun>, 27>;
    std::vector<PhaseRuns> threadRuns(layered ? std::size_t(threads) : 0);
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        PhaseCounts& items = itemsBefore[std::size_t(t)];
        for (unsigned int c = sliceBegin(t), end = sliceBegin(t + 1); c < end; ++c) {
            const Cell& cell = cells[c];
            const AcceptedPoint& first = in.points[cell.start];
            if (first.candidate < in.acceptedCount) {
                store.accept(cell, first, t);
                chosen[c] = cell.start;
                continue;
            }
            const unsigned int phase = phaseOfCell(cell, in.phaseMap);
            const std::size_t at = items[phase]++;
            PhaseWork::Item& item = phases[phase].items[at];
            item.cell = cell;
            item.cell.count = std::min(cell.count, in.trials);
            item.index = c;
            if (layered) {
                std::vector<LayerRun>& list = threadRuns[std::size_t(t)][phase];
                if (list.empty() || list.back().iy != cell.iy)
                    list.push_back(LayerRun{cell.iy, at, at});
                list.back().end = at + 1;
            }
        }
    }
    store.endPhase();
    if (!layered) return trialsByPhase(in, phases, store, serial, 0, chosen);
    // A layer whose cells straddle two threads' slices is one run.
    PhaseRuns runs;
    for (unsigned int phase = 0; phase < 27; ++phase) {
        std::vector<LayerRun>& list = runs[phase];
        for (const PhaseRuns& own : threadRuns)
            for (const LayerRun& run : own[phase]) {
                if (!list.empty() && list.back().iy == run.iy)
                    list.back().end = run.end;
                else
                    list.push_back(run);
            }
    }
    // Steps of a few hundred items would spend more time meeting at their
    // barriers than the sweep by phase spends reading memory.
    constexpr std::size_t kLeastPerStep = 512;
    std::size_t items = 0;
    long long layers = 0;
    for (unsigned int phase = 0; phase < 27; ++phase) {
        items += phases[phase].items.size();
        if (!runs[phase].empty()) layers = std::max(layers, runs[phase].back().iy + 1ll);
    }
    if (items < kLeastPerStep * std::size_t(layers / kSlabLayers + kSlabSkew * 26 + 1))
        return trialsByPhase(in, phases, store, serial, 0, chosen);
    return firstTrialByLayer(in, phases, runs, store, serial, chosen) &&
           trialsByPhase(in, phases, store, serial, 1, chosen);
}

// Returns the accepted candidates, with their positions, in table order.
// `sorted` holds in.points; it is released once the points are gathered.
// `sortedIds` (when given) holds in.sortedCellId; it is released once the
// cells are found. `stopped` tells whether in.trialDone stopped the selection.
inline std::vector<AcceptedPoint> selectCells(const Input& in, Buffer<AcceptedPoint>& sorted,
                                              Buffer<unsigned int>* sortedIds, bool serial,
                                              bool& stopped) {
    stopped = false;
    const unsigned int n = in.candidateCount;
    std::vector<AcceptedPoint> selected;
    if (n == 0) return selected;
    const float cs = in.grid.cellSize;

    // A point beyond the grid in x or z shares its id with a cell of another
    // row: ids and grid indices then no longer correspond, and such cells can
    // be id-space neighbours processed in the same phase, so the phases run
    // on one thread. Tiny grids alias the same way.
    bool aliasing = in.gridCellsX < 5 || in.gridCellsZ < 5;
    int maxY = 0;
    // A grid index is a non-decreasing function of its coordinate, so the
    // largest indices are those of the largest coordinates: three maxima
    // settle the test without a division per candidate. A NaN coordinate
    // (no order) takes the test point by point.
    float highX = in.points[0].x, highY = in.points[0].y, highZ = in.points[0].z;
    bool unordered = false;
    {
#pragma omp parallel for reduction(max                                           \
                                   : highX, highY, highZ) reduction(||           \
                                                                    : unordered) \
    schedule(static) if (!serial)
        for (long long i = 0; i < static_cast<long long>(n); ++i) {
            const float x = in.points[i].x, y = in.points[i].y, z = in.points[i].z;
            unordered = unordered || !(x == x) || !(y == y) || !(z == z);
            highX = std::max(highX, x);
            highY = std::max(highY, y);
            highZ = std::max(highZ, z);
        }
    }
    if (!aliasing && !unordered) {
        const int ix = cellIndexOnAxis(highX, in.grid.minX, cs);
        const int iy = cellIndexOnAxis(highY, in.grid.minY, cs);
        const int iz = cellIndexOnAxis(highZ, in.grid.minZ, cs);
        aliasing = static_cast<unsigned int>(ix) >= in.gridCellsX ||
                   static_cast<unsigned int>(iz) >= in.gridCellsZ || iy >= (1 << 30);
        maxY = iy;
    } else if (!aliasing) {
#pragma omp parallel for reduction(|| : aliasing) reduction(max : maxY) schedule(static)
        for (long long i = 0; i < static_cast<long long>(n); ++i) {
            const int ix = cellIndexOnAxis(in.points[i].x, in.grid.minX, cs);
            const int iy = cellIndexOnAxis(in.points[i].y, in.grid.minY, cs);
            const int iz = cellIndexOnAxis(in.points[i].z, in.grid.minZ, cs);
            if (static_cast<unsigned int>(ix) >= in.gridCellsX ||
                static_cast<unsigned int>(iz) >= in.gridCellsZ || iy >= (1 << 30))
                aliasing = true;
            maxY = std::max(maxY, iy);
        }
    }
    const unsigned int ny = static_cast<unsigned int>(maxY) + 1;
    // Without aliasing, and while ids do not wrap, an id is ix + stepZ * iz +
    // stepY * iy with ix < stepZ and iz * stepZ < stepY: the grid indices of
    // a cell follow from its id, without reading its candidates.
    const bool decodeIds =
        !aliasing && std::uint64_t(in.grid.stepY) * std::uint64_t(ny) <= 0xFFFFFFFFull;

    // Cells: one run of equal ids each in the sorted list. Each thread finds
    // the runs that start in its slice of the list, counted first so the
    // cells land in list order.
    const int threads = serial ? 1 : std::max(1, omp_get_max_threads());
    auto sliceBegin = [&](int t) {
        return static_cast<unsigned int>(std::uint64_t(n) * std::uint64_t(t) /
                                         std::uint64_t(threads));
    };
    auto startsCell = [&](unsigned int i) {
        return i == 0 || in.sortedCellId[i] != in.sortedCellId[i - 1];
    };
    std::vector<unsigned int> cellsBefore(std::size_t(threads) + 1, 0u);
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        unsigned int starts = 0;
        for (unsigned int i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i)
            starts += startsCell(i) ? 1u : 0u;
        cellsBefore[std::size_t(t) + 1] = starts;
    }
    for (int t = 0; t < threads; ++t)
        cellsBefore[std::size_t(t) + 1] += cellsBefore[std::size_t(t)];
    const unsigned int cellCount = cellsBefore[std::size_t(threads)];
    // Each cell's count is set once the next cell starts; the last one of a
    // slice looks for the next start past the slice.
    Buffer<Cell> cells(cellCount, UninitialisedAllocator<Cell>(in.workspace));
    Buffer<unsigned int> chosen(cellCount, UninitialisedAllocator<unsigned int>(in.workspace));
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        const unsigned int first = cellsBefore[std::size_t(t)];
        unsigned int c = first;
        for (unsigned int i = sliceBegin(t), end = sliceBegin(t + 1); i < end; ++i) {
            if (!startsCell(i)) continue;
            const unsigned int key = in.sortedCellId[i];
            if (c > first) cells[c - 1].count = i - cells[c - 1].start;
            chosen[c] = kNone;
            Cell& cell = cells[c++];
            cell.start = i;
            cell.key = key;
            cell.ref = 0;
            if (decodeIds) {
                const unsigned int row = key % in.grid.stepY;
                cell.ix = static_cast<int>(row % in.grid.stepZ);
                cell.iy = static_cast<int>(key / in.grid.stepY);
                cell.iz = static_cast<int>(row / in.grid.stepZ);
            } else {
                const AcceptedPoint& q = in.points[i];
                cell.ix = cellIndexOnAxis(q.x, in.grid.minX, cs);
                cell.iy = cellIndexOnAxis(q.y, in.grid.minY, cs);
                cell.iz = cellIndexOnAxis(q.z, in.grid.minZ, cs);
            }
        }
        if (c > first) {
            unsigned int next = sliceBegin(t + 1);
            while (next < n && !startsCell(next)) ++next;
            cells[c - 1].count = next - cells[c - 1].start;
        }
    }
    if (sortedIds != nullptr) Buffer<unsigned int>().swap(*sortedIds);  // in.sortedCellId with it

    const bool pruneNeighbours = in.gridCellsX >= 5 && in.gridCellsZ >= 5;
    auto run = [&](auto& store, bool runSerial, bool layered) {
        store.registerCells(cells);
        stopped = !runTrials(in, cells, store, runSerial, layered, chosen);
    };
    if (!aliasing && BrickStore::fits(in.gridCellsX, ny, in.gridCellsZ)) {
        BrickStore store(in.gridCellsX, ny, in.gridCellsZ, in.grid, in.radius,
                         serial ? 1 : omp_get_max_threads());
        // Ids that do not wrap put the cells in layer order.
        run(store, serial, decodeIds);
    } else {
        IdStore store(cellCount, in.grid, pruneNeighbours);
        run(store, serial || aliasing, false);
    }
    if (stopped) {
        Buffer<AcceptedPoint>().swap(sorted);
        return selected;
    }

    // Table order: the cells of a bucket (id mod 4C) take slots in ascending id
    // order, and points leave slot by slot, bucket by bucket.
    const unsigned long long buckets = 4ull * cellCount;
    // The cells form runs of ascending ids: run m holds the ids in
    // [m B, (m + 1) B) (B buckets), whose bucket is the id less m B. A
    // bucket's cells take slots 0, 1, ... in run order; slot 0 of every
    // bucket leaves first, bucket by bucket, then the later slots in (slot,
    // bucket) order.
    const unsigned long long runs = cells.back().key / buckets + 1;
    if (runs == 1) {
        // Every id is its own bucket: table order is the order of the cells.
        for (unsigned int c = 0; c < cellCount; ++c)
            if (chosen[c] != kNone) selected.push_back(in.points[chosen[c]]);
        Buffer<AcceptedPoint>().swap(sorted);
        return selected;
    }
    // Otherwise a bucket's slot is the number of earlier runs that hold a
    // cell of that bucket. Each thread takes a range of buckets (whole
    // 64-bucket words of a bitmap of the buckets seen) and walks the runs in
    // order, each run's cells of its range being one stretch of the cells:
    // a cell whose bucket is unseen takes slot 0; the rare others, listed
    // in run order, take slots 1, 2, ... per bucket. Slot 0 points then
    // leave sorted by bucket, each range sorted on its own thread; the later
    // slots are sorted on their own.
    auto runCell = [&](unsigned long long id) {  // first cell with key >= id
        const auto at = std::lower_bound(
            cells.begin(), cells.end(), id,
            [](const Cell& cell, unsigned long long value) { return cell.key < value; });
        return static_cast<std::size_t>(at - cells.begin());
    };
    const unsigned long long words = (buckets + 63) / 64;
    std::vector<std::uint64_t> seen(static_cast<std::size_t>(words), 0);
    struct Range {
        Buffer<unsigned int> bucket, point;                              // slot 0
        std::vector<std::pair<unsigned long long, unsigned int>> later;  // (slot B + bucket, point)
    };
    std::vector<Range> ranges(static_cast<std::size_t>(threads));
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        const unsigned long long low =
            std::min(buckets, words * std::uint64_t(t) / std::uint64_t(threads) * 64);
        const unsigned long long high =
            std::min(buckets, words * std::uint64_t(t + 1) / std::uint64_t(threads) * 64);
        Range& range = ranges[std::size_t(t)];
        std::vector<std::pair<unsigned long long, unsigned int>> again;  // (bucket, point)
        for (unsigned long long m = 0; m < runs && low < high; ++m) {
            for (std::size_t c = runCell(m * buckets + low), end = runCell(m * buckets + high);
                 c < end; ++c) {
                const unsigned long long bucket = cells[c].key - m * buckets;
                std::uint64_t& word = seen[std::size_t(bucket / 64)];
                const std::uint64_t bit = std::uint64_t(1) << (bucket % 64);
                if ((word & bit) != 0) {
                    again.emplace_back(bucket, chosen[c]);
                } else {
                    word |= bit;
                    if (chosen[c] != kNone) {
                        range.bucket.push_back(static_cast<unsigned int>(bucket));
                        range.point.push_back(chosen[c]);
                    }
                }
            }
        }
        radixSortByKey(range.bucket, range.point, true);
        std::stable_sort(again.begin(), again.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        unsigned long long slot = 0;
        for (std::size_t k = 0; k < again.size(); ++k) {
            slot = k > 0 && again[k].first == again[k - 1].first ? slot + 1 : 1;
            if (again[k].second != kNone)
                range.later.emplace_back(slot * buckets + again[k].first, again[k].second);
        }
    }
    // The points, gathered from their sorted positions by both threads.
    std::vector<std::pair<unsigned long long, unsigned int>> later;
    std::vector<std::size_t> rangeAt(ranges.size() + 1, 0);
    for (std::size_t k = 0; k < ranges.size(); ++k) {
        rangeAt[k + 1] = rangeAt[k] + ranges[k].point.size();
        later.insert(later.end(), ranges[k].later.begin(), ranges[k].later.end());
    }
    std::sort(later.begin(), later.end());
    selected.resize(rangeAt.back() + later.size());
#pragma omp parallel for schedule(static, 1) num_threads(threads)
    for (int t = 0; t < threads; ++t) {
        const Buffer<unsigned int>& at = ranges[std::size_t(t)].point;
        AcceptedPoint* out = selected.data() + rangeAt[std::size_t(t)];
        constexpr std::size_t kAhead = 16;
        for (std::size_t k = 0; k < at.size(); ++k) {
            if (k + kAhead < at.size()) __builtin_prefetch(in.points + at[k + kAhead]);
            out[k] = in.points[at[k]];
        }
    }
    for (std::size_t k = 0; k < later.size(); ++k)
        selected[rangeAt.back() + k] = in.points[later[k].second];
    Buffer<AcceptedPoint>().swap(sorted);
    return selected;
}

}  // namespace streaming
