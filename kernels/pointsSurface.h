#pragma once
// Per-point surface attributes looked up from a point's triangle: the face
// normal of the triangle (ztPointsNormal) and the UV interpolated from the
// triangle's corner UVs (ztPointsUV). Plain C++ interface over flat arrays.

#include <cstddef>
#include <vector>

#include "kernels/backend.h"
#include "kernels/kernelEntry.h"

namespace zt {

// Unit face normals (B - A) x (C - A) of the triangles, 3 floats each, from
// the mesh points (3 floats each) and the triangle vertex list (3 ids each).
// A degenerate triangle gets a non-finite normal. An empty triangle list
// gives an empty result without a launch. Fails with NotEnoughMemory when
// the memory check refuses the points, the triangles or the normals.
ZT_KERNEL_ENTRY(computeFaceNormals, KernelStatus(const std::vector<float>& points,
                                                 const std::vector<unsigned int>& triangles,
                                                 std::vector<float>& normals));

// UVs at points inside triangles. `meshUV` holds 6 floats per triangle
// (U0, V0, U1, V1, U2, V2 of its corners); `sampleUV` holds each point's
// parametric (u, v) in its triangle on input and its (U, V) on output:
// U = U0 (1 - u - v) + U1 u + U2 v, the same for V. Every triangle id must be
// below meshUV.size() / 6 (the caller checks). Fails with NotEnoughMemory
// when the memory check refuses the table or the points.
ZT_KERNEL_ENTRY(interpolateSampleUVs, KernelStatus(const std::vector<float>& meshUV,
                                                   const std::vector<unsigned int>& samplesTriID,
                                                   std::vector<float>& sampleUV));

}  // namespace zt
