#pragma once
// The meshes of the scatter benchmarks: the Stanford bunny and the generated
// meshes of examples/meshes/generated (scripts/fetch-bunny,
// scripts/make-bench-meshes), read and triangulated once, with their bounds
// and areas.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/src/mesh/meshGeometry.h"
#include "host/src/mesh/meshReaders.h"
#include "kernels/scatter.h"

namespace zt::bench {

struct BenchMesh {
    std::string name;
    std::string path;
    std::vector<float> points;
    std::vector<unsigned int> triangles;
    float lo[3] = {1e30f, 1e30f, 1e30f};
    float hi[3] = {-1e30f, -1e30f, -1e30f};
    double area = 0;                     // of the mesh's polygons, as the host measures it
    std::vector<double> cumulativeArea;  // of its triangles, in double, for uniform samples

    double diagonal() const {
        const double dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    double triangleArea() const { return cumulativeArea.empty() ? 0.0 : cumulativeArea.back(); }
    ScatterMesh view() const {
        return ScatterMesh{points.data(), points.size() / 3, triangles.data(),
                           triangles.size() / 3};
    }
};

inline BenchMesh loadMesh(const std::string& name, const std::string& path) {
    BenchMesh mesh;
    mesh.name = name;
    mesh.path = path;
    const host::MeshGeometry geometry = host::readMeshFile(path);
    mesh.points = geometry.points();
    for (const int v : host::triangulate(geometry).vertices)
        mesh.triangles.push_back(static_cast<unsigned int>(v));
    for (std::size_t i = 0; i < mesh.points.size(); ++i) {
        mesh.lo[i % 3] = std::min(mesh.lo[i % 3], mesh.points[i]);
        mesh.hi[i % 3] = std::max(mesh.hi[i % 3], mesh.points[i]);
    }
    mesh.area = host::surfaceArea(geometry);
    double total = 0;
    for (std::size_t t = 0; t < mesh.triangles.size(); t += 3) {
        const float* a = &mesh.points[3 * std::size_t(mesh.triangles[t])];
        const float* b = &mesh.points[3 * std::size_t(mesh.triangles[t + 1])];
        const float* c = &mesh.points[3 * std::size_t(mesh.triangles[t + 2])];
        const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        const double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2],
                     z = u[0] * v[1] - u[1] * v[0];
        total += 0.5 * std::sqrt(x * x + y * y + z * z);
        mesh.cumulativeArea.push_back(total);
    }
    return mesh;
}

// The benchmark meshes that are present; a missing one is named on stderr.
inline std::vector<BenchMesh> loadGeneratedMeshes() {
    const std::string dir = std::string(ZT_SOURCE_DIR) + "/examples/meshes/generated/";
    std::vector<BenchMesh> meshes;
    for (const char* name : {"bunny.off", "blob.ply", "valley.ply"}) {
        if (!std::ifstream(dir + name)) {
            std::fprintf(stderr,
                         "skipping %s: run scripts/make-bench-meshes and scripts/fetch-bunny\n",
                         name);
            continue;
        }
        meshes.push_back(loadMesh(name, dir + name));
    }
    return meshes;
}

// A Poisson-disc set holds about 1.95 * area / (pi r^2) points at the
// defaults: the radius for about `points` points.
inline float radiusForPoints(double area, double points) {
    return static_cast<float>(std::sqrt(1.95 * area / (3.14159265 * points)));
}

}  // namespace zt::bench
