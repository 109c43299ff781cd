// Input checks of the orientation kernel: run on the host before anything is
// uploaded, so the kernel never reads outside an array.

#include <limits>
#include <string>

#include "kernels/inputChecks.h"
#include "kernels/rotation.h"

namespace zt {

std::string validateRotationInput(const RotationInput& input) {
    const std::size_t n = input.pointCount;
    if (n > std::numeric_limits<unsigned int>::max() - 64u) {
        return "too many points for one launch (" + std::to_string(n) + ")";
    }
    if (input.positions.size() != 3 * n)
        return lengthProblem("positions", input.positions.size(), 3 * n);
    if (input.normals.size() != 3 * n) return lengthProblem("normals", input.normals.size(), 3 * n);
    if (input.triangles.size() != n)
        return lengthProblem("triangle ids", input.triangles.size(), n);
    if (!input.startRgb.empty() && input.startRgb.size() != 3 * n)
        return lengthProblem("start rotations", input.startRgb.size(), 3 * n);
    if (!input.inColor.empty() && input.inColor.size() != 3 * n)
        return lengthProblem("point colours", input.inColor.size(), 3 * n);

    const std::size_t vertices = input.meshPointCount;
    const std::size_t layers = input.layerCount;
    if (vertices > std::numeric_limits<unsigned int>::max())
        return "too many mesh vertices (" + std::to_string(vertices) + ")";
    if (input.computeLocalAim && input.meshPoints.size() != 3 * vertices)
        return lengthProblem("mesh points", input.meshPoints.size(), 3 * vertices);

    if (layers > 0 || input.computeLocalAim) {
        if (input.triangleList.size() % 3 != 0)
            return "the triangle list has " + std::to_string(input.triangleList.size()) +
                   " vertex ids, not a multiple of 3";
        const std::size_t triangleCount = input.triangleList.size() / 3;
        std::string problem = triangleIdProblem(input.triangles, triangleCount);
        if (problem.empty()) problem = triangleCornerProblem(input.triangleList, vertices);
        if (!problem.empty()) return problem;
    }
    if (layers > 0) {
        if (input.uvs.size() != 2 * n) return lengthProblem("uvs", input.uvs.size(), 2 * n);
        if (input.layerColors.size() != 4 * vertices * layers)
            return lengthProblem("layer colours", input.layerColors.size(), 4 * vertices * layers);
        if (input.layerWeights.size() != layers)
            return lengthProblem("layer weights", input.layerWeights.size(), layers);
        if (input.layerTypes.size() != layers)
            return lengthProblem("layer types", input.layerTypes.size(), layers);
    }
    if (input.activeLayer < -1 ||
        (input.activeLayer >= 0 && static_cast<std::size_t>(input.activeLayer) >= layers &&
         layers > 0))
        return "active layer " + std::to_string(input.activeLayer) + " is not one of the " +
               std::to_string(layers) + " layers";
    return std::string();
}

}  // namespace zt
