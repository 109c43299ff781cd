// One emission step from 10^5 sites on the CPU: the particle count a step
// gives and the time it takes (particles per second).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "display/particleEmission.h"

namespace {

void BM_EmitStep(benchmark::State& state) {
    const std::size_t sites = static_cast<std::size_t>(state.range(0));
    std::vector<MVector> position(sites), direction(sites);
    for (std::size_t i = 0; i < sites; ++i) {
        position[i] = MVector(double(i % 317), 0, double(i / 317));
        direction[i] = MVector(std::sin(double(i)), 1, std::cos(double(i)));
    }
    std::vector<double> rate(sites, 48.0);  // two particles a site per step at 24 fps
    zt::EmissionSettings settings;
    settings.time = 10.0;
    settings.step = 1.0 / 24.0;
    settings.spread = 0.3f;
    settings.speedRandom = 0.5f;
    std::size_t particles = 0;
    for (auto _ : state) {
        zt::EmittedParticles out;
        zt::emitParticles(position, direction, rate, settings, nullptr, nullptr, out);
        particles = out.position.size();
        benchmark::DoNotOptimize(out.position.data());
    }
    state.counters["particles"] = double(particles);
    state.counters["particles_per_second"] =
        benchmark::Counter(double(particles) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmitStep)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
