#pragma once
// Orientation of points for instancing, the compute behind the
// ztPointsRotation node. Every point gets three numbers R, G, B and from them
// an aim vector and an up vector:
//
//   R in [-1, 1] blends the aim between the surface normal (0) and the unit
//     tangent direction towards the target projected into the point's
//     tangent plane (1) or away from it (-1);
//   G turns aim and up about the normal, in whole turns;
//   B rolls the up vector about the aim, in whole turns.
//
// R, G, B start from upstream values and are changed, in this order, by a
// per-point colour array, painted vertex-colour layers, constant offsets and
// random terms. Optionally the line from the point along the tangent
// direction is intersected with the lines of its triangle's edges.
//
// Plain C++ interface: the node fills flat arrays (the layouts below) and gets
// flat arrays back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

// Size of the random pool; point i reads pool values (i + k) mod this.
constexpr unsigned int kRotationRandomPoolSize = 10000;

// The random parameter block, 15 floats: static amplitudes, minimum speeds,
// maximum speeds, times and oscillation amplitudes, each as an R, G, B triple.
enum RotationRandomSlot : unsigned int {
    kRandomAmplitude = 0,
    kMinSpeed = 3,
    kMaxSpeed = 6,
    kRandomTime = 9,
    kOscillationAmplitude = 12,
    kRandomDataSize = 15,
};

struct RotationInput {
    std::size_t pointCount = 0;           // n
    std::vector<float> positions;         // 3n
    std::vector<float> normals;           // 3n, used as stored (not normalised)
    std::vector<unsigned int> triangles;  // n triangle ids ("triID")
    float target[3] = {0.0f, 0.0f, 0.0f};

    // Starting (R, G, B), 3n floats; empty: start from zero.
    std::vector<float> startRgb;

    // Per-point colour, 3n floats; empty: none.
    std::vector<float> inColor;
    bool addColorMode = false;  // false: blend towards the colour, true: add 2c - 1
    float inColorFactor = 1.0f;

    // Mesh, needed by layers and edge intersections.
    std::size_t meshPointCount = 0;          // V
    std::vector<float> meshPoints;           // 3V, only with computeLocalAim
    std::vector<unsigned int> triangleList;  // 3 vertex ids per triangle
    std::vector<float> uvs;                  // 2n (u, v) in the triangle, with layers

    // Painted vertex-colour layers.
    unsigned short layerCount = 0;
    std::vector<float> layerColors;   // 4 * V * layerCount, RGBA, layer-major
    std::vector<float> layerWeights;  // per layer, [0, 1]
    std::vector<short> layerTypes;    // per layer, 0 replace, 1 add
    short activeLayer = -1;           // -1: every layer, else only that one

    // Offsets; G and B in turns.
    float offsetR = 0.0f, offsetG = 0.0f, offsetB = 0.0f;

    bool random = false;  // random terms on: the block and a pool seeded with `seed`
    float randomData[kRandomDataSize] = {};
    unsigned int seed = 0;

    bool computeLocalAim = false;  // edge intersections
};

// Which group of allocations the memory check refused, for the node's message.
enum class RotationMemoryGroup { kNone, kPoints, kColorSets, kRandomData };

struct RotationResult {
    std::vector<float> rgb;             // 3n final (R, G, B)
    std::vector<float> aim;             // 3n
    std::vector<float> up;              // 3n
    std::vector<std::uint8_t> visible;  // n, decided by the last layer processed
    std::vector<float> intersection;    // 3n edge parameters, with computeLocalAim
    std::vector<float> distanceToEdge;  // 3n distances along the line, with computeLocalAim
    RotationMemoryGroup refusedGroup = RotationMemoryGroup::kNone;
};

// Checks the array lengths and index ranges of `input` (every length matches
// n, V and the layer count; every triangle id names a triangle and every
// corner a vertex when the mesh is used). Returns an empty string when the
// input is usable, otherwise what is wrong.
std::string validateRotationInput(const RotationInput& input);

// Runs the kernel on the active backend. Invalid input is refused with
// InvalidLaunch (the reason printed to the error stream) before anything is
// allocated. On failure `result` holds nothing useful.
ZT_KERNEL_ENTRY(computeRotations, KernelStatus(const RotationInput& input, RotationResult& result));

}  // namespace zt
