// Per-point body of the object id computation.

#include "kernels/paintedLayersKernels.cuh"
#include "kernels/weightedPickKernels.cuh"

struct PointIdKernelArgs {
    unsigned int* id;
    unsigned int baseId;
    const unsigned int* randomIndex;
    const float* probability;  // inclusive prefix sums of the list's weights
    unsigned int randomInputCount;
    float totalProbabilityFactor;
    unsigned short layersCount;
    const float* colors;
    const unsigned int* rgbId;
    unsigned int meshPointsCount;
    const unsigned int* triIds;
    const float* uvs;
    const unsigned int* samplesTriID;
    bool hasColor;
    const float* inColor;
    unsigned int idRed, idGreen, idBlue;
    const float* randomNumbers;
    unsigned int randomsNumber;
    unsigned int samplesCount;
};

ZT_HD inline void computePointId(unsigned int i, const PointIdKernelArgs& k) {
    if (i >= k.samplesCount) return;
    unsigned int id = k.baseId;
    // The same three pool values serve the list, the layers and the colour.
    const float p0 = k.randomsNumber ? k.randomNumbers[i % k.randomsNumber] : 0.0f;
    const float p1 = k.randomsNumber ? k.randomNumbers[(i + 1) % k.randomsNumber] : 0.0f;
    const float p2 = k.randomsNumber ? k.randomNumbers[(i + 2) % k.randomsNumber] : 0.0f;

    if (k.randomInputCount != 0 && k.totalProbabilityFactor > 0.0f) {
        if (k.randomInputCount <= 1) {
            id = k.randomIndex[0];
        } else {
            id = k.randomIndex[getTriIndex(k.probability, static_cast<int>(k.randomInputCount), p0,
                                           k.totalProbabilityFactor)];
        }
    }

    if (k.layersCount > 0) {
        const unsigned int t = k.samplesTriID[i];
        const unsigned int ca = k.triIds[3 * t], cb = k.triIds[3 * t + 1], cc = k.triIds[3 * t + 2];
        const float u = k.uvs[2 * i], v = k.uvs[2 * i + 1];
        for (unsigned int layer = 0; layer < k.layersCount; ++layer) {
            const LayerColor c = layerColorAt(k.colors, k.meshPointsCount, layer, ca, cb, cc, u, v);
            if (static_cast<double>(c.a) < 0.0001) continue;
            // Partly transparent paint applies to a fraction alpha of the points.
            if (static_cast<double>(c.a) < 0.999999 && p2 > c.a) continue;
            const float sum = c.r + c.g + c.b;
            if (static_cast<double>(sum) < 0.0001) continue;
            const float q = p0 * sum;
            unsigned int channel = 2;
            float strength = c.b;
            if (c.r >= q) {
                channel = 0;
                strength = c.r;
            } else if (c.r + c.g >= q) {
                channel = 1;
                strength = c.g;
            }
            if (p1 <= strength) id = k.rgbId[3 * layer + channel];
        }
    }

    if (k.hasColor) {
        const float r = clampUnit(k.inColor[3 * i]);
        const float g = clampUnit(k.inColor[3 * i + 1]);
        const float b = clampUnit(k.inColor[3 * i + 2]);
        const float sum = r + g + b;
        if (static_cast<double>(sum) > 0.000001) {
            const float q = p0 * sum;
            unsigned int candidate = k.idBlue;
            float strength = b;
            if (q <= r) {
                candidate = k.idRed;
                strength = r;
            } else if (r + g >= q) {
                candidate = k.idGreen;
                strength = g;
            }
            // Ids travel as 16-bit signed values here: 40000 becomes -25536.
            const short narrowed = static_cast<short>(candidate);
            if (p1 <= strength) id = static_cast<unsigned int>(static_cast<int>(narrowed));
        }
    }
    k.id[i] = id;
}
