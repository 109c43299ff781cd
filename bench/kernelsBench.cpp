// The kernel frame on the CPU backend: random-number generation and the cost
// of a trivial kernel launch in both forms.
//
//   build/bin/kernelsBench --benchmark_min_time=0.2

#include <benchmark/benchmark.h>

#include <vector>

#include "kernels/frame/frame.cuh"

namespace {

ZT_HD inline void scaleIndex(zt::ElementIndex i, std::size_t n, float* out) {
    if (i >= n) return;
    out[i] = static_cast<float>(i) * 0.5f;
}

void generateUniformCpu(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<float> values(n);
    for (auto _ : state) {
        if (zt::cpu::generateUniform(values.data(), n, 1234) != zt::KernelStatus::Ok) {
            state.SkipWithError("generateUniform failed");
            break;
        }
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
    state.SetLabel(zt::cpu::backendDescription());
}
BENCHMARK(generateUniformCpu)
    ->Arg(1000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond);

void randomBufferCpu(benchmark::State& state) {
    // The node pattern: memory check, allocation, fill, release.
    const auto n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        const zt::cpu::RandomBuffer buffer(n, 99);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(randomBufferCpu)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void streamStarts(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(zt::xorwowStreamStarts(5, zt::kRandomStreams));
    }
}
BENCHMARK(streamStarts)->Unit(benchmark::kMicrosecond);

void launch1DCpu(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    zt::cpu::DeviceVector<float> values(n);
    float* out = zt::cpu::raw(values);
    for (auto _ : state) {
        const zt::KernelStatus status = zt::cpu::launch1D(
            "scaleIndex", n, ZT_LAMBDA(zt::ElementIndex i) { scaleIndex(i, n, out); });
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(launch1DCpu)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void launch2DCpu(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    zt::cpu::DeviceVector<float> values(n);
    float* out = zt::cpu::raw(values);
    for (auto _ : state) {
        const zt::KernelStatus status = zt::cpu::launch2D(
            "scaleIndex", n, 128, ZT_LAMBDA(zt::ElementIndex i) { scaleIndex(i, n, out); });
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(launch2DCpu)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
