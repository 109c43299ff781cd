#include "kernels/paintedLayers.h"

namespace zt {

std::size_t firstPointOutsideMesh(const PaintedLayers& layers, std::size_t count, bool* badCorner) {
    if (badCorner) *badCorner = false;
    for (std::size_t k = 0; k < 3 * layers.triangleCount; ++k) {
        if (layers.triangles[k] >= layers.vertexCount) {
            if (badCorner) *badCorner = true;
            return 0;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (layers.pointTriangles[i] >= layers.triangleCount) return i;
    }
    return count;
}

}  // namespace zt
