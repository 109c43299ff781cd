#include "mesh/meshGeometry.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <unordered_set>

namespace zt::host {

namespace {

std::size_t idx(int i) {
    return static_cast<std::size_t>(i);
}

Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Vec3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

// Newell's sum: twice the vector area of the polygon.
Vec3 newellSum(const MeshGeometry& mesh, int face) {
    Vec3 n;
    const int count = mesh.faceVertexCount(face);
    for (int k = 0; k < count; ++k) {
        const Vec3 a = mesh.point(mesh.faceVertex(face, k));
        const Vec3 b = mesh.point(mesh.faceVertex(face, (k + 1) % count));
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

struct P2 {
    double x, y;
};

double cross2(const P2& o, const P2& a, const P2& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Point inside or on triangle (a, b, c) of orientation `sign`.
bool inTriangle(const P2& p, const P2& a, const P2& b, const P2& c, double sign) {
    return sign * cross2(a, b, p) >= 0.0 && sign * cross2(b, c, p) >= 0.0 &&
           sign * cross2(c, a, p) >= 0.0;
}

void appendFan(const std::vector<int>& corners, std::vector<std::array<int, 3>>& out) {
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        out.push_back({corners[0], corners[k], corners[k + 1]});
    }
}

std::string setNotFound(const char* kind, const std::string& name) {
    return std::string(kind) + " set \"" + name + "\" does not exist";
}

}  // namespace

MeshGeometry::MeshGeometry() {
    uvSets_.push_back(UVSet{kDefaultUVSetName, {}, {}, {}});
    currentUVSet_ = kDefaultUVSetName;
}

MeshGeometry::MeshGeometry(std::vector<float> points, std::vector<int> faceCounts,
                           std::vector<int> faceVertices)
    : points_(std::move(points)),
      faceCounts_(std::move(faceCounts)),
      faceVertices_(std::move(faceVertices)) {
    if (points_.size() % 3 != 0) {
        throw MeshError("point array length " + std::to_string(points_.size()) +
                        " is not a multiple of 3");
    }
    const std::string problem = topologyProblem(numVertices(), faceCounts_, faceVertices_);
    if (!problem.empty()) throw MeshError(problem);
    rebuildOffsets();
    uvSets_.push_back(UVSet{kDefaultUVSetName, {}, {}, std::vector<int>(faceVertices_.size(), -1)});
    currentUVSet_ = kDefaultUVSetName;
}

void MeshGeometry::rebuildOffsets() {
    faceOffsets_.resize(faceCounts_.size());
    int offset = 0;
    for (std::size_t f = 0; f < faceCounts_.size(); ++f) {
        faceOffsets_[f] = offset;
        offset += faceCounts_[f];
    }
}

std::string MeshGeometry::topologyProblem(int numVertices, const std::vector<int>& faceCounts,
                                          const std::vector<int>& faceVertices) {
    std::ostringstream msg;
    std::size_t total = 0;
    for (std::size_t f = 0; f < faceCounts.size(); ++f) {
        if (faceCounts[f] < 3) {
            msg << "face " << f << " has " << faceCounts[f] << " vertices; a face needs at least 3";
            return msg.str();
        }
        total += static_cast<std::size_t>(faceCounts[f]);
    }
    if (total != faceVertices.size()) {
        msg << "face vertex counts add up to " << total << " but the face-vertex list has "
            << faceVertices.size() << " entries";
        return msg.str();
    }
    std::size_t corner = 0;
    for (std::size_t f = 0; f < faceCounts.size(); ++f) {
        for (int k = 0; k < faceCounts[f]; ++k, ++corner) {
            const int v = faceVertices[corner];
            if (v < 0 || v >= numVertices) {
                msg << "face " << f << " refers to vertex " << v << ", but the mesh has "
                    << numVertices << " vertices";
                return msg.str();
            }
        }
    }
    return {};
}

Vec3 MeshGeometry::point(int vertex) const {
    const std::size_t i = 3 * idx(vertex);
    return {points_[i], points_[i + 1], points_[i + 2]};
}

void MeshGeometry::setPoint(int vertex, const Vec3& p) {
    if (vertex < 0 || vertex >= numVertices()) {
        throw MeshError("vertex " + std::to_string(vertex) + " is out of range (the mesh has " +
                        std::to_string(numVertices()) + " vertices)");
    }
    const std::size_t i = 3 * idx(vertex);
    points_[i] = static_cast<float>(p.x);
    points_[i + 1] = static_cast<float>(p.y);
    points_[i + 2] = static_cast<float>(p.z);
}

void MeshGeometry::setPoints(std::vector<float> points) {
    if (points.size() != points_.size()) {
        throw MeshError("expected " + std::to_string(numVertices()) + " points, got " +
                        std::to_string(points.size() / 3));
    }
    points_ = std::move(points);
}

void MeshGeometry::checkFace(int face) const {
    if (face < 0 || face >= numFaces()) {
        throw MeshError("polygon " + std::to_string(face) + " is out of range (the mesh has " +
                        std::to_string(numFaces()) + " polygons)");
    }
}

void MeshGeometry::checkCorner(int face, int corner) const {
    checkFace(face);
    if (corner < 0 || corner >= faceVertexCount(face)) {
        throw MeshError("corner " + std::to_string(corner) + " is out of range for polygon " +
                        std::to_string(face) + " with " + std::to_string(faceVertexCount(face)) +
                        " vertices");
    }
}

const UVSet* MeshGeometry::findUVSet(const std::string& name) const {
    for (const UVSet& s : uvSets_) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

UVSet* MeshGeometry::findUVSet(const std::string& name) {
    return const_cast<UVSet*>(static_cast<const MeshGeometry*>(this)->findUVSet(name));
}

const UVSet& MeshGeometry::uvSet(const std::string& name) const {
    const UVSet* s = findUVSet(name.empty() ? currentUVSet_ : name);
    if (!s) throw MeshError(setNotFound("UV", name));
    return *s;
}

UVSet& MeshGeometry::uvSet(const std::string& name) {
    return const_cast<UVSet&>(static_cast<const MeshGeometry*>(this)->uvSet(name));
}

void MeshGeometry::setCurrentUVSet(const std::string& name) {
    if (!findUVSet(name)) throw MeshError(setNotFound("UV", name));
    currentUVSet_ = name;
}

UVSet& MeshGeometry::createUVSet(const std::string& name) {
    if (name.empty()) throw MeshError("a UV set needs a name");
    if (findUVSet(name)) throw MeshError("UV set \"" + name + "\" already exists");
    uvSets_.push_back(UVSet{name, {}, {}, std::vector<int>(faceVertices_.size(), -1)});
    return uvSets_.back();
}

void MeshGeometry::setUVs(const std::string& name, std::vector<float> u, std::vector<float> v,
                          std::vector<int> cornerUVs) {
    UVSet& s = uvSet(name);
    if (u.size() != v.size()) {
        throw MeshError("UV set \"" + s.name + "\": " + std::to_string(u.size()) +
                        " u values but " + std::to_string(v.size()) + " v values");
    }
    if (cornerUVs.size() != faceVertices_.size()) {
        throw MeshError("UV set \"" + s.name + "\": " + std::to_string(cornerUVs.size()) +
                        " corner UV ids for " + std::to_string(faceVertices_.size()) +
                        " face corners");
    }
    for (std::size_t c = 0; c < cornerUVs.size(); ++c) {
        if (cornerUVs[c] < -1 || cornerUVs[c] >= static_cast<int>(u.size())) {
            throw MeshError("UV set \"" + s.name + "\": face corner " + std::to_string(c) +
                            " refers to UV " + std::to_string(cornerUVs[c]) + ", but the set has " +
                            std::to_string(u.size()) + " UVs");
        }
    }
    s.u = std::move(u);
    s.v = std::move(v);
    s.cornerUVs = std::move(cornerUVs);
}

const ColorSet* MeshGeometry::findColorSet(const std::string& name) const {
    for (const ColorSet& s : colorSets_) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

ColorSet* MeshGeometry::findColorSet(const std::string& name) {
    return const_cast<ColorSet*>(static_cast<const MeshGeometry*>(this)->findColorSet(name));
}

void MeshGeometry::setCurrentColorSet(const std::string& name) {
    if (!findColorSet(name)) throw MeshError(setNotFound("colour", name));
    currentColorSet_ = name;
}

ColorSet& MeshGeometry::createColorSet(const std::string& name) {
    if (name.empty()) throw MeshError("a colour set needs a name");
    if (findColorSet(name)) throw MeshError("colour set \"" + name + "\" already exists");
    ColorSet s;
    s.name = name;
    s.colors.assign(idx(numVertices()), {0.f, 0.f, 0.f, 1.f});
    s.isSet.assign(idx(numVertices()), 0);
    colorSets_.push_back(std::move(s));
    if (currentColorSet_.empty()) currentColorSet_ = name;
    return colorSets_.back();
}

void MeshGeometry::deleteColorSet(const std::string& name) {
    const auto found = std::find_if(colorSets_.begin(), colorSets_.end(),
                                    [&](const ColorSet& s) { return s.name == name; });
    if (found == colorSets_.end()) throw MeshError(setNotFound("colour", name));
    colorSets_.erase(found);
    if (currentColorSet_ == name) {
        currentColorSet_ = colorSets_.empty() ? std::string() : colorSets_.front().name;
    }
}

void MeshGeometry::renameColorSet(const std::string& name, const std::string& newName) {
    ColorSet* s = findColorSet(name);
    if (!s) throw MeshError(setNotFound("colour", name));
    if (newName.empty()) throw MeshError("a colour set needs a name");
    if (newName == name) return;
    if (findColorSet(newName)) throw MeshError("colour set \"" + newName + "\" already exists");
    s->name = newName;
    if (currentColorSet_ == name) currentColorSet_ = newName;
}

void MeshGeometry::copyColorSet(const std::string& name, const std::string& newName) {
    const ColorSet* s = findColorSet(name);
    if (!s) throw MeshError(setNotFound("colour", name));
    ColorSet copy = *s;
    createColorSet(newName);  // checks the new name
    copy.name = newName;
    *findColorSet(newName) = std::move(copy);
}

void MeshGeometry::setVertexColor(const std::string& set, int vertex,
                                  const std::array<float, 4>& rgba) {
    ColorSet* s = findColorSet(set);
    if (!s) throw MeshError(setNotFound("colour", set));
    if (vertex < 0 || vertex >= numVertices()) {
        throw MeshError("vertex " + std::to_string(vertex) + " is out of range (the mesh has " +
                        std::to_string(numVertices()) + " vertices)");
    }
    s->colors[idx(vertex)] = rgba;
    s->isSet[idx(vertex)] = 1;
}

void validateMesh(const MeshGeometry& mesh) {
    const std::string problem =
        MeshGeometry::topologyProblem(mesh.numVertices(), mesh.faceCounts(), mesh.faceVertices());
    if (!problem.empty()) throw MeshError(problem);
    const std::vector<float>& p = mesh.points();
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (!std::isfinite(p[i])) {
            std::ostringstream msg;
            msg << "vertex " << i / 3 << " has a non-finite "
                << "xyz"[i % 3] << " coordinate (" << p[i] << ")";
            throw MeshError(msg.str());
        }
    }
    for (const UVSet& s : mesh.uvSets()) {
        if (s.u.size() != s.v.size() ||
            s.cornerUVs.size() != static_cast<std::size_t>(mesh.numFaceVertices())) {
            throw MeshError("UV set \"" + s.name + "\" does not match the mesh's face corners");
        }
        for (int id : s.cornerUVs) {
            if (id < -1 || id >= static_cast<int>(s.u.size())) {
                throw MeshError("UV set \"" + s.name + "\" refers to UV " + std::to_string(id) +
                                ", but it has " + std::to_string(s.u.size()) + " UVs");
            }
        }
        for (std::size_t i = 0; i < s.u.size(); ++i) {
            if (!std::isfinite(s.u[i]) || !std::isfinite(s.v[i])) {
                throw MeshError("UV " + std::to_string(i) + " of set \"" + s.name +
                                "\" is not finite");
            }
        }
    }
}

std::vector<std::array<int, 3>> polygonTriangleCorners(const MeshGeometry& mesh, int face) {
    const int n = mesh.faceVertexCount(face);
    std::vector<std::array<int, 3>> out;
    out.reserve(idx(n - 2));
    if (n == 3) {
        out.push_back({0, 1, 2});
        return out;
    }
    // Project onto the coordinate plane most orthogonal to the normal.
    const Vec3 normal = newellSum(mesh, face);
    const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    std::vector<P2> p(idx(n));
    for (int k = 0; k < n; ++k) {
        const Vec3 q = mesh.point(mesh.faceVertex(face, k));
        if (az >= ax && az >= ay) {
            p[idx(k)] = {q.x, q.y};
        } else if (ax >= ay) {
            p[idx(k)] = {q.y, q.z};
        } else {
            p[idx(k)] = {q.z, q.x};
        }
    }
    double area2 = 0.0;
    for (int k = 0; k < n; ++k) {
        const P2& a = p[idx(k)];
        const P2& b = p[idx((k + 1) % n)];
        area2 += a.x * b.y - b.x * a.y;
    }
    std::vector<int> remaining(idx(n));
    for (int k = 0; k < n; ++k) remaining[idx(k)] = k;
    if (area2 == 0.0) {
        appendFan(remaining, out);
        return out;
    }
    const double sign = area2 > 0.0 ? 1.0 : -1.0;

    while (remaining.size() > 3) {
        const std::size_t m = remaining.size();
        bool clipped = false;
        for (std::size_t j = 1; j <= m && !clipped; ++j) {
            const std::size_t at = j % m;
            const int prev = remaining[(at + m - 1) % m];
            const int cur = remaining[at];
            const int next = remaining[(at + 1) % m];
            const P2 &a = p[idx(prev)], &b = p[idx(cur)], &c = p[idx(next)];
            if (sign * cross2(a, b, c) <= 0.0) continue;  // reflex or collinear
            bool empty = true;
            for (int other : remaining) {
                if (other == prev || other == cur || other == next) continue;
                const P2& q = p[idx(other)];
                // A corner at the same place as a triangle corner does not block.
                if ((q.x == a.x && q.y == a.y) || (q.x == c.x && q.y == c.y)) continue;
                if (inTriangle(q, a, b, c, sign)) {
                    empty = false;
                    break;
                }
            }
            if (!empty) continue;
            out.push_back({prev, cur, next});
            remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(at));
            clipped = true;
        }
        if (!clipped) break;
    }
    appendFan(remaining, out);
    return out;
}

Triangulation triangulate(const MeshGeometry& mesh) {
    Triangulation t;
    t.counts.reserve(idx(mesh.numFaces()));
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const auto corners = polygonTriangleCorners(mesh, f);
        t.counts.push_back(static_cast<int>(corners.size()));
        for (const auto& tri : corners) {
            for (int c : tri) t.vertices.push_back(mesh.faceVertex(f, c));
        }
    }
    return t;
}

Vec3 polygonNormal(const MeshGeometry& mesh, int face) {
    const Vec3 n = newellSum(mesh, face);
    const double len = length(n);
    if (len == 0.0 || !std::isfinite(len)) return {};
    return {n.x / len, n.y / len, n.z / len};
}

std::vector<std::pair<int, int>> meshEdges(const MeshGeometry& mesh) {
    struct PairHash {
        std::size_t operator()(const std::pair<int, int>& e) const {
            return std::hash<long long>()((static_cast<long long>(e.first) << 32) ^
                                          static_cast<unsigned>(e.second));
        }
    };
    std::unordered_set<std::pair<int, int>, PairHash> seen;
    std::vector<std::pair<int, int>> edges;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const int n = mesh.faceVertexCount(f);
        for (int k = 0; k < n; ++k) {
            const int a = mesh.faceVertex(f, k);
            const int b = mesh.faceVertex(f, (k + 1) % n);
            const std::pair<int, int> e{std::min(a, b), std::max(a, b)};
            if (seen.insert(e).second) edges.push_back(e);
        }
    }
    return edges;
}

BoundingBox boundingBox(const MeshGeometry& mesh) {
    BoundingBox box;
    for (int v = 0; v < mesh.numVertices(); ++v) {
        const Vec3 p = mesh.point(v);
        if (box.empty) {
            box.min = box.max = p;
            box.empty = false;
            continue;
        }
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
    }
    return box;
}

double surfaceArea(const MeshGeometry& mesh) {
    const Triangulation t = triangulate(mesh);
    double area = 0.0;
    for (std::size_t i = 0; i + 2 < t.vertices.size(); i += 3) {
        const Vec3 a = mesh.point(t.vertices[i]);
        const Vec3 b = mesh.point(t.vertices[i + 1]);
        const Vec3 c = mesh.point(t.vertices[i + 2]);
        area += 0.5 * length(cross(sub(b, a), sub(c, a)));
    }
    return area;
}

}  // namespace zt::host
