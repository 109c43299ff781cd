#pragma once
// Per-point scale for instancing, the compute behind the ztPointsScale node:
// a base scale per axis, multiplied by a per-point colour and by painted
// multiply layers, plus painted add layers, plus a one-sided random term from
// a pool of kScalePoolSize uniform values (point i uses pool value i mod size,
// so points kScalePoolSize apart get the same term).

#include <cstddef>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"
#include "kernels/paintedLayers.h"

namespace zt {

constexpr unsigned int kScalePoolSize = 1000;

struct ScaleSettings {
    bool uniform = true;  // one value (x) on all three axes
    float scaleX = 1, scaleY = 1, scaleZ = 1;
    float randomX = 0, randomY = 0, randomZ = 0;  // amplitudes; all 0 = no random term
    unsigned int seed = 0;
    const float* inColor = nullptr;  // 3 floats per point, or null
    float inColorFactor = 1;
    PaintedLayers layers;                 // layer colours, triangulation, points' triangles and uvs
    const float* layerWeights = nullptr;  // per layer, in [0, 1]
    const short* layerTypes = nullptr;    // per layer: 0 multiply, 1 add
    const float* layerFactors = nullptr;  // per layer: gain of an add layer
};

// Fills `scales` with 3 floats per point for `count` points.
ZT_KERNEL_ENTRY(computeScales, KernelStatus(const ScaleSettings& settings, std::size_t count,
                                            std::vector<float>& scales));

}  // namespace zt
