#pragma once
// The particles one emitter step gives off from a set of emission sites,
// with the emitter's random sequence: a plain function of its inputs, so the
// node, the tests and the benchmark share it.
//
// Every site i with rate q[i] > 0 emits c particles per step. In rate mode
// c = floor(t / T) - floor((t - dt) / T) with the period T = 1 / q[i] in
// single precision, so the total per site follows q[i] x t; each particle
// leaves at a random time s in the step, along the site's unit direction d
// bent towards a side vector by a random amount up to `spread`, with the
// speed plus a random share of `speedRandom`, and travels for the rest of
// the step. In single-emission mode c = 1 and s = 0.

#include <maya/MVector.h>

#include <cstdint>
#include <vector>

namespace zt {

// The C standard's portable rand(): results 0 ... 32767, the same sequence
// on every platform and no state shared with other code in the process.
class CRandom {
public:
    explicit CRandom(unsigned int seed) : next_(seed) {}
    int next() {
        next_ = next_ * 1103515245u + 12345u;
        return static_cast<int>((next_ / 65536u) % 32768u);
    }
    // A number in [0, 1).
    double uniform() { return next() / 32768.0; }

private:
    std::uint32_t next_;
};

struct EmissionSettings {
    double time = 0;        // seconds since the start
    double step = 0;        // seconds in this step
    double speed = 1;       // the emitter's speed
    float spread = 0;       // [0, 1]
    float speedRandom = 0;  // extra speed, times a random number in [0, 1)
    bool single = false;    // one particle per site, leaving at the step's start
};

struct EmittedParticles {
    std::vector<MVector> position;
    std::vector<MVector> velocity;
    std::vector<double> timeInStep;
    std::vector<MVector> rgb;     // filled when a colour source is given
    std::vector<double> opacity;  // filled when an opacity source is given
};

// Particles a site with rate `rate` emits in the step (t - dt, t].
int emissionCount(double time, double step, double rate);

// Emits from every site in index order. `colour` and `opacity` (one value
// per site) are optional. The generator is seeded from trunc(time) x 100.
void emitParticles(const std::vector<MVector>& position, const std::vector<MVector>& direction,
                   const std::vector<double>& rate, const EmissionSettings& settings,
                   const std::vector<MVector>* colour, const std::vector<double>* opacity,
                   EmittedParticles& out);

}  // namespace zt
