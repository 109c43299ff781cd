// Per-point body of the scale computation.

struct ScaleKernelArgs {
    float* scale;
    bool uniform;
    float scaleX, scaleY, scaleZ;
    bool hasColor;
    float inColorFactor;
    const float* inColor;
    unsigned short layersCount;
    const float* colors;
    const float* weights;
    const short* layerTypes;
    const float* factors;
    unsigned int meshPointsCount;
    const unsigned int* triIds;
    const float* uvs;
    const unsigned int* samplesTriID;
    bool isRandom;
    const float* randomNumbers;
    unsigned int randomsNumber;
    float scaleRandomX, scaleRandomY, scaleRandomZ;
    unsigned int samplesCount;
};

ZT_HD inline void computeScale(unsigned int i, const ScaleKernelArgs& k) {
    if (i >= k.samplesCount) return;
    float mx = 1.0f, my = 1.0f, mz = 1.0f;
    if (k.hasColor) {
        const float f = k.inColorFactor;
        mx = f * k.inColor[3 * i] + (1.0f - f);
        if (!k.uniform) {
            my = f * k.inColor[3 * i + 1] + (1.0f - f);
            mz = f * k.inColor[3 * i + 2] + (1.0f - f);
        }
    }
    float ax = 0.0f, ay = 0.0f, az = 0.0f;
    if (k.layersCount > 0) {
        const unsigned int t = k.samplesTriID[i];
        const unsigned int ca = k.triIds[3 * t], cb = k.triIds[3 * t + 1], cc = k.triIds[3 * t + 2];
        const float u = k.uvs[2 * i], v = k.uvs[2 * i + 1];
        for (unsigned int layer = 0; layer < k.layersCount; ++layer) {
            const float w = k.weights[layer];
            if (w == 0.0f) continue;
            const LayerColor c = layerColorAt(k.colors, k.meshPointsCount, layer, ca, cb, cc, u, v);
            if (c.a == 0.0f) continue;
            if (k.layerTypes[layer] == 0) {
                const float blend = c.a * w;
                mx = mx * (1.0f - blend) + blend * c.r;
                if (!k.uniform) {
                    my = my * (1.0f - blend) + blend * c.g;
                    mz = mz * (1.0f - blend) + blend * c.b;
                }
            } else {
                const float gain = w * k.factors[layer] * c.a;
                ax = ax + gain * c.r;
                if (!k.uniform) {
                    ay = ay + gain * c.g;
                    az = az + gain * c.b;
                }
            }
        }
    }
    const unsigned int n = k.randomsNumber;
    float sx = k.scaleX * mx;
    if (k.isRandom) sx = sx + k.randomNumbers[i % n] * k.scaleRandomX;
    sx = sx + ax;
    if (k.uniform) {
        k.scale[3 * i] = sx;
        k.scale[3 * i + 1] = sx;
        k.scale[3 * i + 2] = sx;
        return;
    }
    float sy = k.scaleY * my;
    float sz = k.scaleZ * mz;
    if (k.isRandom) {
        sy = sy + k.randomNumbers[(i + 1) % n] * k.scaleRandomY;
        sz = sz + k.randomNumbers[(i + 2) % n] * k.scaleRandomZ;
    }
    k.scale[3 * i] = sx;
    k.scale[3 * i + 1] = sy + ay;
    k.scale[3 * i + 2] = sz + az;
}
