#include "display/particleEmission.h"

#include <maya/MQuaternion.h>

#include <cmath>

namespace zt {

int emissionCount(double time, double step, double rate) {
    if (!(rate > 0)) return 0;
    const double period = static_cast<float>(1.0 / rate);
    const double c = std::floor(time / period) - std::floor((time - step) / period);
    return c > 0 ? static_cast<int>(std::trunc(c)) : 0;
}

void emitParticles(const std::vector<MVector>& position, const std::vector<MVector>& direction,
                   const std::vector<double>& rate, const EmissionSettings& settings,
                   const std::vector<MVector>* colour, const std::vector<double>* opacity,
                   EmittedParticles& out) {
    CRandom random(static_cast<unsigned int>(std::trunc(settings.time) * 100.0));
    const MVector xAxis(1, 0, 0);
    for (std::size_t i = 0; i < position.size(); ++i) {
        if (!(rate[i] > 0)) continue;
        const int count =
            settings.single ? 1 : emissionCount(settings.time, settings.step, rate[i]);
        if (count <= 0) continue;
        const MVector d = direction[i].normal();
        for (int j = 0; j < count; ++j) {
            const double s = settings.single ? 0.0 : (random.uniform() + j) / count;
            const double angle = random.uniform() * M_PI * 2.0;
            const MVector side = (d ^ (d + xAxis)).rotateBy(MQuaternion(angle, d));
            const float f = static_cast<float>(random.uniform() * settings.spread);
            const MVector e = d * (1.0 - f) + side * f;
            const MVector velocity =
                e * (random.uniform() * settings.speedRandom) + e * settings.speed;
            out.position.push_back(position[i] + velocity * ((1.0 - s) * settings.step));
            out.velocity.push_back(velocity);
            out.timeInStep.push_back(s);
            if (colour) out.rgb.push_back((*colour)[i]);
            if (opacity) out.opacity.push_back((*opacity)[i]);
        }
    }
}

}  // namespace zt
