#include "noise/noiseGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zt::noise {

namespace {

constexpr int kLatticeMask = kLatticeSize - 1;  // BM
constexpr int kMinOctaves = 1;
constexpr int kMaxOctaves = 10;

// A lattice coordinate in [-1, 1) from one rand() call.
float randomCoordinate() {
    return static_cast<float>((std::rand() % (2 * kLatticeSize)) - kLatticeSize) /
           static_cast<float>(kLatticeSize);
}

// Scales to unit length. A zero vector (all draws exactly at the centre)
// stays zero rather than turning into NaN.
template <int N>
void normalize(float (&v)[N]) {
    float sum = 0.0f;
    for (float c : v) sum += c * c;
    if (sum == 0.0f) return;
    const float inverse = 1.0f / std::sqrt(sum);
    for (float& c : v) c *= inverse;
}

float sCurve(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float lerp(float t, float a, float b) {
    return a + t * (b - a);
}

// The lattice cell of one coordinate and the position inside it. False for a
// non-finite coordinate. Coordinates too large for an int are whole numbers
// already; their cell is found without the conversion.
bool latticeCell(float v, int& b0, int& b1, float& r0, float& r1) {
    const float t = v + kLatticeOffset;
    if (std::fabs(t) < 2.0e9f) {
        const int whole = static_cast<int>(t);
        b0 = whole & kLatticeMask;
        r0 = t - static_cast<float>(whole);
    } else {
        if (!std::isfinite(t)) return false;
        b0 = static_cast<int>(std::fmod(t, static_cast<float>(kLatticeSize))) & kLatticeMask;
        r0 = 0.0f;
    }
    b1 = (b0 + 1) & kLatticeMask;
    r1 = r0 - 1.0f;
    return true;
}

}  // namespace

void setNoiseParameters(NoiseGenerator& g, int octaves, float frequency, float amplitude,
                        int seed) {
    g.octaves = std::clamp(octaves, kMinOctaves, kMaxOctaves);
    g.frequency = frequency;
    g.amplitude = amplitude;
    g.seed = std::max(seed, 0);
    g.needsInit = true;
}

void buildNoiseTables(NoiseGenerator& g) {
    std::srand(static_cast<unsigned int>(g.seed));
    for (int i = 0; i < kLatticeSize; ++i) {
        g.p[i] = i;
        g.g1[i] = randomCoordinate();
        for (float& c : g.g2[i]) c = randomCoordinate();
        normalize(g.g2[i]);
        for (float& c : g.g3[i]) c = randomCoordinate();
        normalize(g.g3[i]);
    }
    for (int i = kLatticeSize - 1; i > 0; --i) {
        const int j = std::rand() % kLatticeSize;
        std::swap(g.p[i], g.p[j]);
    }
    // The second half repeats the first so that p[p[i] + j] never wraps.
    for (int i = 0; i < kLatticeSize + 2; ++i) {
        g.p[kLatticeSize + i] = g.p[i];
        g.g1[kLatticeSize + i] = g.g1[i];
        for (int k = 0; k < 2; ++k) g.g2[kLatticeSize + i][k] = g.g2[i][k];
        for (int k = 0; k < 3; ++k) g.g3[kLatticeSize + i][k] = g.g3[i][k];
    }
    g.needsInit = false;
}

float noise2(const NoiseGenerator& g, float x, float y) {
    int bx0, bx1, by0, by1;
    float rx0, rx1, ry0, ry1;
    if (!latticeCell(x, bx0, bx1, rx0, rx1) || !latticeCell(y, by0, by1, ry0, ry1)) return 0.0f;

    const int i = g.p[bx0];
    const int j = g.p[bx1];
    const int b00 = g.p[i + by0];
    const int b10 = g.p[j + by0];
    const int b01 = g.p[i + by1];
    const int b11 = g.p[j + by1];

    const float sx = sCurve(rx0);
    const float sy = sCurve(ry0);

    float u = rx0 * g.g2[b00][0] + ry0 * g.g2[b00][1];
    float v = rx1 * g.g2[b10][0] + ry0 * g.g2[b10][1];
    const float a = lerp(sx, u, v);

    u = rx0 * g.g2[b01][0] + ry1 * g.g2[b01][1];
    v = rx1 * g.g2[b11][0] + ry1 * g.g2[b11][1];
    const float b = lerp(sx, u, v);

    return lerp(sy, a, b);
}

float fractalNoise(NoiseGenerator& g, float x, float y) {
    if (g.octaves < 1) return 0.0f;
    x *= g.frequency;
    y *= g.frequency;
    float weight = g.amplitude;
    float sum = 0.0f;
    for (int octave = 0; octave < g.octaves; ++octave) {
        if (g.needsInit) buildNoiseTables(g);
        sum += noise2(g, x, y) * weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
    }
    return sum;
}

}  // namespace zt::noise
