// Input checks of the re-planting kernel: run on the host before anything is
// uploaded, so the kernel never reads outside an array.

#include <limits>
#include <string>

#include "kernels/inputChecks.h"
#include "kernels/surfacePlanting.h"

namespace zt {

std::string validatePlantInput(const PlantInput& input) {
    const std::size_t n = input.pointCount;
    if (n > std::numeric_limits<unsigned int>::max() / 3u)
        return "too many points for one launch (" + std::to_string(n) + ")";
    if (input.triangles.size() != n)
        return lengthProblem("triangle ids", input.triangles.size(), n);
    if (input.uvs.size() != 2 * n) return lengthProblem("uvs", input.uvs.size(), 2 * n);
    if (input.rgb.size() != 3 * n) return lengthProblem("rotations", input.rgb.size(), 3 * n);
    if (input.intersection.size() != 3 * n)
        return lengthProblem("intersections", input.intersection.size(), 3 * n);
    if (input.distanceToEdge.size() != 3 * n)
        return lengthProblem("edge distances", input.distanceToEdge.size(), 3 * n);
    if (input.meshPoints.size() % 3 != 0)
        return "the mesh has " + std::to_string(input.meshPoints.size()) +
               " point coordinates, not a multiple of 3";
    if (input.triangleList.size() % 3 != 0)
        return "the triangle list has " + std::to_string(input.triangleList.size()) +
               " vertex ids, not a multiple of 3";
    const std::size_t vertices = input.meshPoints.size() / 3;
    const std::size_t triangleCount = input.triangleList.size() / 3;
    if (input.triangleList.size() > std::numeric_limits<unsigned int>::max() ||
        vertices > std::numeric_limits<unsigned int>::max())
        return "the mesh is too large for one launch";
    std::string problem = triangleIdProblem(input.triangles, triangleCount);
    if (problem.empty()) problem = triangleCornerProblem(input.triangleList, vertices);
    return problem;
}

}  // namespace zt
