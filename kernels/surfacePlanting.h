#pragma once
// Re-planting oriented points on a mesh that moved or deformed, the compute
// behind the ztPlantPoints node. A point is known by its triangle and its
// parametric (u, v) in it, its orientation numbers R, G, B and, per edge of
// its triangle, where the line along its tangent direction met the edge
// (edge parameter s) and how far along the line that was (signed distance).
// From these the position, aim and up are rebuilt on the current mesh.
//
// Plain C++ interface over flat arrays.

#include <cstddef>
#include <string>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

struct PlantInput {
    std::size_t pointCount = 0;              // n
    std::vector<unsigned int> triangles;     // n triangle ids
    std::vector<float> uvs;                  // 2n parametric (u, v)
    std::vector<float> rgb;                  // 3n (R, G, B)
    std::vector<float> intersection;         // 3n edge parameters, edges ab, bc, ca
    std::vector<float> distanceToEdge;       // 3n signed distances, same edges
    std::vector<float> meshPoints;           // 3V current mesh vertices
    std::vector<unsigned int> triangleList;  // 3T vertex ids
};

struct PlantResult {
    std::vector<float> position;  // 3n
    std::vector<float> aim;       // 3n
    std::vector<float> up;        // 3n
};

// Checks lengths and index ranges of `input`: every array has the length n,
// V or T asks for, every triangle id is below T and every corner below V.
// Returns an empty string when usable, otherwise what is wrong.
std::string validatePlantInput(const PlantInput& input);

// Runs the kernel on the active backend. Invalid input is refused with
// InvalidLaunch (the reason printed to the error stream) before anything is
// allocated. n = 0 or T = 0 gives empty results without a launch.
ZT_KERNEL_ENTRY(computeSamplesOnMesh, KernelStatus(const PlantInput& input, PlantResult& result));

}  // namespace zt
