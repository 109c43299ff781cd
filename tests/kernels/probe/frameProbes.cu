// Test probes of the kernel frame, compiled for each backend.

#include "kernels/frame/frame.cuh"
#include "tests/kernels/probe/frameProbes.h"

#include <cmath>

namespace zt {
namespace ZT_BACKEND_NS {

ZT_HD inline void countVisit(ElementIndex i, std::size_t n, unsigned int* counts,
                             unsigned int* invocations) {
    // Counting before the bound check measures the launched index space.
    atomicAdd32(invocations, 1u);
    if (i >= n) return;
    atomicAdd32(&counts[i], 1u);
}

ZT_HD inline void mixValue(ElementIndex i, std::size_t n, const float* a, const float* b,
                           float* out) {
    if (i >= n) return;
    const float x = a[i];
    const float y = b[i];
    const float r = sqrtf(x * x + y * y);
    out[i] = (r * 0.37f - x / (y + 3.5f)) * (x - y) + sqrtf(r + 1.0f) / 7.0f;
}

namespace {

template <class Launch>
KernelStatus countVisits(std::size_t n, std::size_t guard, std::vector<unsigned int>& counts,
                         unsigned int& invocations, const Launch& launch) {
    try {
        DeviceVector<unsigned int> deviceCounts(n + guard, 0u);
        DeviceVector<unsigned int> deviceInvocations(1, 0u);
        ZT_RETURN_IF_FAILED(launch(raw(deviceCounts), raw(deviceInvocations)));
        counts = ZT_BACKEND_NS::toHost(deviceCounts);
        invocations = ZT_BACKEND_NS::toHost(deviceInvocations)[0];
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("countVisits");
    }
}

struct CountVisitBody {
    std::size_t n;
    unsigned int* counts;
    unsigned int* invocations;
    ZT_HD void operator()(ElementIndex i) const { countVisit(i, n, counts, invocations); }
};

}  // namespace

KernelStatus countVisits1D(std::size_t n, std::size_t guard, std::vector<unsigned int>& counts,
                           unsigned int& invocations) {
    return countVisits(n, guard, counts, invocations, [n](unsigned int* c, unsigned int* inv) {
        return launch1D("countVisit", n, CountVisitBody{n, c, inv});
    });
}

KernelStatus countVisits2D(std::size_t n, unsigned int width, std::size_t guard,
                           std::vector<unsigned int>& counts, unsigned int& invocations) {
    return countVisits(n, guard, counts, invocations,
                       [n, width](unsigned int* c, unsigned int* inv) {
                           return launch2D("countVisit", n, width, CountVisitBody{n, c, inv});
                       });
}

KernelStatus mixValues(const std::vector<float>& a, const std::vector<float>& b,
                       std::vector<float>& out) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    if (!checkDeviceMemory(3 * n * sizeof(float))) return KernelStatus::NotEnoughMemory;
    try {
        const DeviceVector<float> deviceA = toDevice(a.data(), n);
        const DeviceVector<float> deviceB = toDevice(b.data(), n);
        DeviceVector<float> deviceOut(n);
        const float* pa = raw(deviceA);
        const float* pb = raw(deviceB);
        float* po = raw(deviceOut);
        ZT_RETURN_IF_FAILED(launch2D(
            "mixValue", n, 128, ZT_LAMBDA(ElementIndex i) { mixValue(i, n, pa, pb, po); }));
        out = ZT_BACKEND_NS::toHost(deviceOut);
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("mixValues");
    }
}

KernelStatus randomBufferContents(std::size_t n, unsigned long long seed, std::vector<float>& out) {
    const RandomBuffer buffer(n, seed);
    if (!buffer.ok()) return buffer.status();
    try {
        out = buffer.toHost();
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("randomBufferContents");
    }
}

}  // namespace ZT_BACKEND_NS
}  // namespace zt
