// Per-point bodies of the surface attribute kernels (kernels/pointsSurface.h).
// The face normal body, calculateNormalVector, is shared with the scatter
// pipeline and lives in scatterKernels.cuh.

// UV of point i from its triangle's row of corner UVs, written over the
// point's parametric (u, v).
ZT_HD inline void computeSampleUV(ElementIndex i, const float* meshUV,
                                  const unsigned int* samplesTriID, float* sampleUV,
                                  unsigned int samplesCount) {
    if (i >= samplesCount) return;
    const float* row = meshUV + 6u * samplesTriID[i];
    const float u = sampleUV[2u * i];
    const float v = sampleUV[2u * i + 1u];
    sampleUV[2u * i] = row[0] - u * row[0] - v * row[0] + u * row[2] + v * row[4];
    sampleUV[2u * i + 1u] = row[1] - u * row[1] - v * row[1] + u * row[3] + v * row[5];
}
