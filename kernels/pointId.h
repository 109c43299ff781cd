#pragma once
// Per-point object index for instancing, the compute behind the
// ztPointsObjectId node: a base id, replaced by a weighted random pick from a
// list, then by picks driven by painted layers (a layer's red, green and blue
// each stand for an id, their strength is its chance), then by a per-point
// colour with three ids. Random values come from a pool of kPointIdPoolSize
// uniform floats; point i reads pool values i, i + 1 and i + 2 (mod size).

#include <cstddef>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"
#include "kernels/paintedLayers.h"

namespace zt {

constexpr unsigned int kPointIdPoolSize = 10000;

struct PointIdSettings {
    unsigned int baseId = 0;
    const unsigned int* listIds = nullptr;  // weighted list: ids ...
    const float* listWeights = nullptr;     // ... and weights (>= 0)
    unsigned int listCount = 0;
    PaintedLayers layers;                    // layer colours (unset = transparent black)
    const unsigned int* layerIds = nullptr;  // 3 ids per layer: red, green, blue
    const float* inColor = nullptr;          // 3 floats per point, or null
    unsigned int idRed = 0, idGreen = 0, idBlue = 0;
    unsigned int seed = 0;
};

// Fills `ids` with one id per point for `count` points.
ZT_KERNEL_ENTRY(computePointIds, KernelStatus(const PointIdSettings& settings, std::size_t count,
                                              std::vector<unsigned int>& ids));

}  // namespace zt
