#pragma once
// Fractal gradient noise of two variables, one generator per noise field.
// The lattice is Perlin's classic one with 1024 entries: a permutation and
// unit gradients drawn from the C runtime's srand/rand, so a seed always
// gives the same field on the same platform. Tables are built at the first
// evaluation after the parameters are set (needsInit), never per point.
//
//   NoiseGenerator g;
//   g.octaves = 4; g.frequency = 0.5f; g.amplitude = 1.0f; g.seed = 3;
//   float h = fractalNoise(g, x, z);

namespace zt::noise {

constexpr int kLatticeSize = 1024;                           // B
constexpr int kTableSize = kLatticeSize + kLatticeSize + 2;  // B + B + 2
constexpr float kLatticeOffset = 4096.0f;                    // N, keeps inputs positive

struct NoiseGenerator {
    int octaves = 1;
    float frequency = 1.0f;
    float amplitude = 0.0f;
    int seed = 0;
    int p[kTableSize];
    float g1[kTableSize];     // built with the others, not used by the 2-D noise
    float g2[kTableSize][2];  // unit gradients
    float g3[kTableSize][3];  // built with the others, not used by the 2-D noise
    bool needsInit = true;
};

// Sets the parameters (octaves clamped to [1, 10], a negative seed taken as
// 0) and marks the tables for rebuilding.
void setNoiseParameters(NoiseGenerator& g, int octaves, float frequency, float amplitude, int seed);

// Builds the tables from `g.seed` (srand, then six rand() calls per lattice
// entry and one per swap of the permutation) and clears needsInit.
void buildNoiseTables(NoiseGenerator& g);

// Builds the tables if they are due; lets a parallel loop start with a
// generator that no longer changes.
inline void prepareNoise(NoiseGenerator& g) {
    if (g.needsInit) buildNoiseTables(g);
}

// One octave: 0 at every lattice point. The tables must be built. A
// non-finite argument gives 0.
float noise2(const NoiseGenerator& g, float x, float y);

// The sum over the octaves of noise2 at (x, y)·frequency·2^k weighted by
// amplitude / 2^k.
float fractalNoise(NoiseGenerator& g, float x, float y);

}  // namespace zt::noise
