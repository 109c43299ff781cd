// Per-element bodies of the point-set filter kernels: id lookup and channel
// blending (merge), container weights, and matrix transforms. Each body takes
// its element index first and does its own bound check before anything else.
// Included by ztNodes.cu inside each backend's namespace.

// Rank of `id` in the ascending table `ids` of `count` values, or -1 when the
// table does not hold it.
ZT_HD inline int getElementIndex(const unsigned int* ids, unsigned int count, unsigned int id) {
    unsigned int low = 0;
    unsigned int high = count;
    while (low < high) {
        const unsigned int mid = low + (high - low) / 2;
        if (ids[mid] < id) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    if (low < count && ids[low] == id) return static_cast<int>(low);
    return -1;
}

// Thread i blends point i of the second set into its partner in the first:
// the point of the first set with the same id, found through the sorted id
// table `points1ID` and `map` (map[r] = input index of the point of rank r).
// `data` holds 2 * attrCount columns: 2k the first set's values of channel
// k (written), 2k + 1 the second set's.
ZT_HD inline void blendValues(ElementIndex i, const unsigned int* points1ID,
                              const unsigned int* points2ID, const unsigned int* map,
                              const unsigned short* typeArray, float* const* data, float factor,
                              unsigned short attrCount, bool hasFallof, const float* fallof,
                              unsigned int samplesCount, unsigned int samplesCount2) {
    if (i >= samplesCount2) return;
    const int rank = getElementIndex(points1ID, samplesCount, points2ID[i]);
    if (rank < 0) return;
    const unsigned int j = map[rank];
    const float f = hasFallof ? fallof[i] * factor : factor;
    for (unsigned int k = 0; k < attrCount; ++k) {
        float* d1 = data[2 * k];
        const float* d2 = data[2 * k + 1];
        switch (typeArray[k]) {
            case 0:  // double
            case 1:  // int
                d1[j] = d1[j] * (1.0f - f) + f * d2[i];
                break;
            case 2:  // vector
                for (unsigned int c = 0; c < 3; ++c) {
                    d1[3 * j + c] = d1[3 * j + c] * (1.0f - f) + f * d2[3 * i + c];
                }
                break;
            default:
                break;
        }
    }
}

// Weight of point i in a unit sphere (type 0) or unit box (type 1) placed by
// `matrix`, the inverse of the container's world matrix. The weight is 1
// inside the shape scaled by (1 - fallof) and falls linearly to 0 at the
// surface; points outside (the box test is strict) keep the 0 they start with.
ZT_HD inline void computePointInclusion(ElementIndex i, const float* points, float* contained,
                                        const float* matrix, unsigned short containerType,
                                        float fallof, unsigned int samplesCount) {
    if (i >= samplesCount) return;
    const float* m = matrix;
    const float px = points[3 * i];
    const float py = points[3 * i + 1];
    const float pz = points[3 * i + 2];
    const float x = m[0] * px + m[1] * py + m[2] * pz + m[3];
    const float y = m[4] * px + m[5] * py + m[6] * pz + m[7];
    const float z = m[8] * px + m[9] * py + m[10] * pz + m[11];
    if (containerType == 0) {
        const float d = sqrtf(x * x + y * y + z * z);
        if (d > 1.0f) return;
        const float e = d - (1.0f - fallof);
        contained[i] = e <= 0.0f ? 1.0f : 1.0f - e / fallof;
    } else if (containerType == 1) {
        const float ax = fabsf(x);
        const float ay = fabsf(y);
        const float az = fabsf(z);
        if (!(ax < 1.0f && ay < 1.0f && az < 1.0f)) return;
        if (fallof > 0.0f) {
            const float g = 1.0f - fallof;
            float t = fminf(g - az, fminf(g - ax, g - ay));
            t = fminf(fmaxf(t, -1.0f), 0.0f);
            contained[i] = t / fallof + 1.0f;
        } else {
            contained[i] = 1.0f;
        }
    }
}

// Point i of `points` taken through `matrix` as p * M; the translation row is
// added only when `translate` is set (points, not directions).
ZT_HD inline void transformPoints(ElementIndex i, float* points, const float* matrix,
                                  bool translate, unsigned int samplesCount) {
    if (i >= samplesCount) return;
    const float* m = matrix;
    const float x = points[3 * i];
    const float y = points[3 * i + 1];
    const float z = points[3 * i + 2];
    float tx = m[0] * x + m[1] * y + m[2] * z;
    float ty = m[4] * x + m[5] * y + m[6] * z;
    float tz = m[8] * x + m[9] * y + m[10] * z;
    if (translate) {
        tx += m[3];
        ty += m[7];
        tz += m[11];
    }
    points[3 * i] = tx;
    points[3 * i + 1] = ty;
    points[3 * i + 2] = tz;
}
