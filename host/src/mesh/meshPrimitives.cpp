#include "mesh/meshPrimitives.h"

#include <cmath>
#include <map>
#include <tuple>

namespace zt::host {

namespace {

constexpr double kPi = 3.14159265358979323846;

void checkSize(const char* what, double value) {
    if (!std::isfinite(value) || value <= 0.0 || value > 1e30) {
        throw MeshError(std::string(what) + " must be a positive number up to 1e30, not " +
                        std::to_string(value));
    }
}

void checkSubdivisions(const char* what, int value, int minimum) {
    if (value < minimum) {
        throw MeshError(std::string(what) + " must be at least " + std::to_string(minimum) +
                        ", not " + std::to_string(value));
    }
}

// Keeps the cost of one primitive bounded; a typo such as -sx 100000 would
// otherwise try to build billions of faces.
void checkFaceBudget(double faces) {
    constexpr double kMaxFaces = 50'000'000.0;
    if (faces > kMaxFaces) {
        throw MeshError("too many subdivisions: " + std::to_string(static_cast<long long>(faces)) +
                        " faces (at most 50000000)");
    }
}

void addQuad(std::vector<int>& counts, std::vector<int>& verts, std::vector<int>& uvs,
             const int (&v)[4], const int (&uv)[4]) {
    counts.push_back(4);
    verts.insert(verts.end(), std::begin(v), std::end(v));
    uvs.insert(uvs.end(), std::begin(uv), std::end(uv));
}

}  // namespace

MeshGeometry makePlane(double width, double height, int subdivisionsX, int subdivisionsY) {
    checkSize("width", width);
    checkSize("height", height);
    checkSubdivisions("subdivisionsX", subdivisionsX, 1);
    checkSubdivisions("subdivisionsY", subdivisionsY, 1);
    checkFaceBudget(static_cast<double>(subdivisionsX) * subdivisionsY);
    const int sx = subdivisionsX, sy = subdivisionsY;
    std::vector<float> points, u, v;
    for (int j = 0; j <= sy; ++j) {
        for (int i = 0; i <= sx; ++i) {
            points.push_back(static_cast<float>(-0.5 * width + width * i / sx));
            points.push_back(0.f);
            points.push_back(static_cast<float>(0.5 * height - height * j / sy));
            u.push_back(static_cast<float>(static_cast<double>(i) / sx));
            v.push_back(static_cast<float>(static_cast<double>(j) / sy));
        }
    }
    std::vector<int> counts, verts, uvIds;
    auto id = [sx](int row, int col) { return row * (sx + 1) + col; };
    for (int j = 0; j < sy; ++j) {
        for (int i = 0; i < sx; ++i) {
            const int q[4] = {id(j, i), id(j, i + 1), id(j + 1, i + 1), id(j + 1, i)};
            addQuad(counts, verts, uvIds, q, q);
        }
    }
    MeshGeometry mesh(std::move(points), std::move(counts), std::move(verts));
    mesh.setUVs(MeshGeometry::kDefaultUVSetName, std::move(u), std::move(v), std::move(uvIds));
    return mesh;
}

MeshGeometry makeCube(double width, double height, double depth, int subdivisionsX,
                      int subdivisionsY, int subdivisionsZ) {
    checkSize("width", width);
    checkSize("height", height);
    checkSize("depth", depth);
    checkSubdivisions("subdivisionsX", subdivisionsX, 1);
    checkSubdivisions("subdivisionsY", subdivisionsY, 1);
    checkSubdivisions("subdivisionsZ", subdivisionsZ, 1);
    const int sx = subdivisionsX, sy = subdivisionsY, sz = subdivisionsZ;
    checkFaceBudget(2.0 * (static_cast<double>(sx) * sy + static_cast<double>(sy) * sz +
                           static_cast<double>(sx) * sz));

    // Each side is a grid walked row by row from a corner of the box's
    // lattice of (sx+1)(sy+1)(sz+1) points; ids go to lattice points and UV
    // pairs in order of first use, which reproduces the default cube's ids.
    struct Side {
        int origin[3];
        int uStep[3];
        int uCount;
        int vStep[3];
        int vCount;
        double u0, u1, v0, v1;
    };
    const Side sides[6] = {
        {{0, 0, sz}, {1, 0, 0}, sx, {0, 1, 0}, sy, 0.375, 0.625, 0.0, 0.25},    // front
        {{0, sy, sz}, {1, 0, 0}, sx, {0, 0, -1}, sz, 0.375, 0.625, 0.25, 0.5},  // top
        {{0, sy, 0}, {1, 0, 0}, sx, {0, -1, 0}, sy, 0.375, 0.625, 0.5, 0.75},   // back
        {{0, 0, 0}, {1, 0, 0}, sx, {0, 0, 1}, sz, 0.375, 0.625, 0.75, 1.0},     // bottom
        {{sx, 0, sz}, {0, 0, -1}, sz, {0, 1, 0}, sy, 0.625, 0.875, 0.0, 0.25},  // right
        {{0, 0, 0}, {0, 0, 1}, sz, {0, 1, 0}, sy, 0.125, 0.375, 0.0, 0.25},     // left
    };
    std::map<std::tuple<int, int, int>, int> vertexIds;
    std::map<std::pair<long long, long long>, int> uvIdsByValue;
    std::vector<float> points, u, v;
    std::vector<int> counts, verts, uvIds;
    for (const Side& side : sides) {
        const int rowLength = side.uCount + 1;
        std::vector<int> gridVertex, gridUV;
        for (int b = 0; b <= side.vCount; ++b) {
            for (int a = 0; a <= side.uCount; ++a) {
                const int ix = side.origin[0] + a * side.uStep[0] + b * side.vStep[0];
                const int iy = side.origin[1] + a * side.uStep[1] + b * side.vStep[1];
                const int iz = side.origin[2] + a * side.uStep[2] + b * side.vStep[2];
                const auto key = std::make_tuple(ix, iy, iz);
                auto found = vertexIds.find(key);
                if (found == vertexIds.end()) {
                    found = vertexIds.emplace(key, static_cast<int>(points.size() / 3)).first;
                    points.push_back(static_cast<float>(-0.5 * width + width * ix / sx));
                    points.push_back(static_cast<float>(-0.5 * height + height * iy / sy));
                    points.push_back(static_cast<float>(-0.5 * depth + depth * iz / sz));
                }
                gridVertex.push_back(found->second);

                const double uu = side.u0 + (side.u1 - side.u0) * a / side.uCount;
                const double vv = side.v0 + (side.v1 - side.v0) * b / side.vCount;
                const auto uvKey = std::make_pair(std::llround(uu * 1e7), std::llround(vv * 1e7));
                auto uvFound = uvIdsByValue.find(uvKey);
                if (uvFound == uvIdsByValue.end()) {
                    uvFound = uvIdsByValue.emplace(uvKey, static_cast<int>(u.size())).first;
                    u.push_back(static_cast<float>(uu));
                    v.push_back(static_cast<float>(vv));
                }
                gridUV.push_back(uvFound->second);
            }
        }
        for (int b = 0; b < side.vCount; ++b) {
            for (int a = 0; a < side.uCount; ++a) {
                const int c[4] = {b * rowLength + a, b * rowLength + a + 1,
                                  (b + 1) * rowLength + a + 1, (b + 1) * rowLength + a};
                const int q[4] = {gridVertex[static_cast<std::size_t>(c[0])],
                                  gridVertex[static_cast<std::size_t>(c[1])],
                                  gridVertex[static_cast<std::size_t>(c[2])],
                                  gridVertex[static_cast<std::size_t>(c[3])]};
                const int t[4] = {
                    gridUV[static_cast<std::size_t>(c[0])], gridUV[static_cast<std::size_t>(c[1])],
                    gridUV[static_cast<std::size_t>(c[2])], gridUV[static_cast<std::size_t>(c[3])]};
                addQuad(counts, verts, uvIds, q, t);
            }
        }
    }
    MeshGeometry mesh(std::move(points), std::move(counts), std::move(verts));
    mesh.setUVs(MeshGeometry::kDefaultUVSetName, std::move(u), std::move(v), std::move(uvIds));
    return mesh;
}

MeshGeometry makeSphere(double radius, int subdivisionsAxis, int subdivisionsHeight) {
    checkSize("radius", radius);
    checkSubdivisions("subdivisionsAxis", subdivisionsAxis, 3);
    checkSubdivisions("subdivisionsHeight", subdivisionsHeight, 2);
    const int sx = subdivisionsAxis, sy = subdivisionsHeight;
    checkFaceBudget(static_cast<double>(sx) * sy);
    const int rings = sy - 1;
    std::vector<float> points, u, v;
    for (int i = 0; i < rings; ++i) {
        const double phi = kPi * (i + 1) / sy;  // from the bottom pole
        const double y = -radius * std::cos(phi);
        const double ringRadius = radius * std::sin(phi);
        for (int j = 0; j < sx; ++j) {
            const double theta = 2.0 * kPi * j / sx;
            points.push_back(static_cast<float>(ringRadius * std::cos(theta)));
            points.push_back(static_cast<float>(y));
            points.push_back(static_cast<float>(-ringRadius * std::sin(theta)));
        }
        for (int j = 0; j <= sx; ++j) {
            u.push_back(static_cast<float>(static_cast<double>(j) / sx));
            v.push_back(static_cast<float>(static_cast<double>(i + 1) / sy));
        }
    }
    const int bottom = rings * sx;
    const int top = bottom + 1;
    points.insert(points.end(), {0.f, static_cast<float>(-radius), 0.f});
    points.insert(points.end(), {0.f, static_cast<float>(radius), 0.f});
    const int bottomUVs = static_cast<int>(u.size());
    for (int j = 0; j < sx; ++j) {
        u.push_back(static_cast<float>((j + 0.5) / sx));
        v.push_back(0.f);
    }
    const int topUVs = static_cast<int>(u.size());
    for (int j = 0; j < sx; ++j) {
        u.push_back(static_cast<float>((j + 0.5) / sx));
        v.push_back(1.f);
    }

    auto vid = [sx](int ring, int j) { return ring * sx + j % sx; };
    auto uvid = [sx](int ring, int j) { return ring * (sx + 1) + j; };
    std::vector<int> counts, verts, uvIds;
    for (int i = 0; i + 1 < rings; ++i) {
        for (int j = 0; j < sx; ++j) {
            const int q[4] = {vid(i, j), vid(i, j + 1), vid(i + 1, j + 1), vid(i + 1, j)};
            const int t[4] = {uvid(i, j), uvid(i, j + 1), uvid(i + 1, j + 1), uvid(i + 1, j)};
            addQuad(counts, verts, uvIds, q, t);
        }
    }
    for (int j = 0; j < sx; ++j) {
        counts.push_back(3);
        verts.insert(verts.end(), {vid(0, j + 1), vid(0, j), bottom});
        uvIds.insert(uvIds.end(), {uvid(0, j + 1), uvid(0, j), bottomUVs + j});
    }
    for (int j = 0; j < sx; ++j) {
        counts.push_back(3);
        verts.insert(verts.end(), {vid(rings - 1, j), vid(rings - 1, j + 1), top});
        uvIds.insert(uvIds.end(), {uvid(rings - 1, j), uvid(rings - 1, j + 1), topUVs + j});
    }
    MeshGeometry mesh(std::move(points), std::move(counts), std::move(verts));
    mesh.setUVs(MeshGeometry::kDefaultUVSetName, std::move(u), std::move(v), std::move(uvIds));
    return mesh;
}

}  // namespace zt::host
