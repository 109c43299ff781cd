#pragma once
// The per-point tests of the ztPointsSelection node, run one after another on
// one array of selection flags that starts with every point selected:
//
//   1. colour thinning (computeSelection): a point stays with a probability
//      equal to its colour value, from a per-point array or interpolated from
//      mesh vertex colours at the point's triangle and (u, v);
//   2. conditions (checkConditions): comparisons over float columns clear
//      flags, then forced point ids set them again;
//   3. facing (checkDotProduct): a point whose normal turns away from a
//      direction by more than a range is cleared.
//
// Plain C++ interface: the node hands in host arrays (the memory checks are
// the node's), gets the flags back, one per point.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/selectionCompare.h"
#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

struct SelectionColorStage {
    bool hasColor = false;
    const float* inColor = nullptr;       // n values, when hasColor
    bool hasVertexColor = false;          // replaces inColor when both are on
    const float* vertexColors = nullptr;  // one value per mesh vertex
    std::size_t vertexCount = 0;
    const unsigned int* triangleVertices = nullptr;  // 3 per triangle
    std::size_t triangleVertexCount = 0;
    const unsigned int* triangleIds = nullptr;  // n, each below the triangle count
    const float* uvs = nullptr;                 // 2n: u, v of each point
    unsigned long long seed = 123;
    std::size_t randomCount = 1000;  // point i uses random number i mod randomCount
};

struct SelectionConditionStage {
    const std::vector<std::vector<float>>* columns = nullptr;  // each n values
    const std::vector<unsigned int>* firstOperand = nullptr;
    const std::vector<unsigned short>* operation = nullptr;
    const std::vector<unsigned short>* secondOperandType = nullptr;
    const std::vector<int>* secondOperandInt = nullptr;
    const std::vector<float>* secondOperandFloat = nullptr;
    const std::vector<unsigned int>* ids = nullptr;  // any order
    unsigned int pointIdColumn = 0;                  // read when ids is not empty
};

struct SelectionFacingStage {
    const float* normals = nullptr;      // 3n
    float range = 0.0f;                  // in [-1, 1]
    float x = 0.0f, y = 1.0f, z = 0.0f;  // unit direction
};

// Runs the stages that are given (null stages are skipped) over `count`
// points and writes one flag per point (1 selected) into `flags`.
ZT_KERNEL_ENTRY(selectPoints,
                KernelStatus(std::size_t count, const SelectionColorStage* color,
                             const SelectionConditionStage* conditions,
                             const SelectionFacingStage* facing, std::vector<std::uint8_t>& flags));

}  // namespace zt
