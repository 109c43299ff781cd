#pragma once
// Compute behind the point-set filter nodes: blending channels of a second
// point set into a first one paired by point id (ztPointsMerge), weighting
// points by a sphere or box container (ztPointsContainer), and moving points
// and directions by a matrix (ztPointsTransform). Plain C++ interface: the
// nodes hand in flat float arrays and get flat arrays back.
//
// Matrices are 16 floats taken column by column from a Maya matrix M
// (matrix[4c + r] = M[r][c]), so a kernel computes the row-vector product
// p * M as x' = m0*x + m1*y + m2*z + m3, y' = m4*x + ... + m7, and so on.

#include <cstddef>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

// Type codes of the blended channels, as the blend kernel reads them.
enum class BlendChannelType : unsigned short { kDouble = 0, kInt = 1, kVector = 2 };

// One channel to blend: its values in both sets as floats (vectors as x, y, z
// per point). `first` holds N1 (or 3*N1) values and receives the blended
// ones; `second` holds N2 (or 3*N2).
struct BlendChannel {
    BlendChannelType type = BlendChannelType::kDouble;
    std::vector<float> first;
    std::vector<float> second;
};

// Point ids of both sets (the int "pointID" channels, reinterpreted as
// unsigned) and the weights of the blend.
struct BlendInput {
    const unsigned int* firstIds = nullptr;
    std::size_t firstCount = 0;
    const unsigned int* secondIds = nullptr;
    std::size_t secondCount = 0;
    float factor = 0.0f;
    // One weight per point of the second set multiplying `factor`, or null.
    const float* secondWeights = nullptr;
};

// What the id tables showed. Pairing needs ids that are unique within each
// set; with a repeated id nothing is blended and the repeated value is named.
struct BlendIdCheck {
    bool repeatedInFirst = false;
    bool repeatedInSecond = false;
    unsigned int repeatedId = 0;
};

// For every point of the second set whose id appears in the first set, moves
// the partner's value of each channel toward the second point's value by the
// weight. Points of the first set without a partner keep their values.
ZT_KERNEL_ENTRY(blendPointChannels,
                KernelStatus(const BlendInput& input, std::vector<BlendChannel>& channels,
                             BlendIdCheck& idCheck));

// Container shapes, in the numbering of the container nodes' "type".
enum class ContainerShape : unsigned short { kSphere = 0, kBox = 1 };

// Weights of points (3 floats each) inside a unit sphere or unit box placed
// by `inverseMatrix` (world to container space, 16 floats as above): 1 deep
// inside, falling linearly to 0 over the band of width `fallof` inside the
// surface, 0 outside. `weights` gets one value per point.
ZT_KERNEL_ENTRY(containerWeights,
                KernelStatus(const std::vector<float>& positions, const float* inverseMatrix,
                             ContainerShape shape, float fallof, std::vector<float>& weights));

// Transforms points (3 floats each) in place by `matrix` (16 floats as
// above): with `translate` as points, without it as directions.
ZT_KERNEL_ENTRY(transformPointArray,
                KernelStatus(std::vector<float>& xyz, const float* matrix, bool translate));

}  // namespace zt
