#pragma once
// Painted vertex-colour layers as the per-point kernels take them: the RGBA
// colour of every mesh vertex per layer (layer-major), the triangulation, and
// each point's triangle and (u, v) in it, so a kernel can interpolate a
// layer's colour at a point from its triangle's three corners.

#include <cstddef>

namespace zt {

struct PaintedLayers {
    unsigned short count = 0;       // layers; 0 = none (the rest may be null)
    unsigned int vertexCount = 0;   // V
    const float* colors = nullptr;  // 4 * V * count floats: vertex v of layer L at 4 * (L * V + v)
    const unsigned int* triangles = nullptr;  // 3 vertex ids per triangle
    std::size_t triangleCount = 0;
    const unsigned int* pointTriangles = nullptr;  // triangle of each point ("triID")
    const float* pointUvs = nullptr;               // (u, v) of each point, 2 floats
};

// Checks what a kernel relies on before reading layers: every point's
// triangle exists and every triangle corner is a vertex of the mesh. Returns
// the index of the first point whose triangle is out of range, or `count`
// when all are valid; `badCorner` is set when the triangulation itself names
// a vertex that does not exist.
std::size_t firstPointOutsideMesh(const PaintedLayers& layers, std::size_t count, bool* badCorner);

}  // namespace zt
