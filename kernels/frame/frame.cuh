#pragma once
// The frame every kernel unit is written against. This header is compiled
// once per backend: by nvcc for CUDA (namespace zt::cuda) and by the C++
// compiler with Thrust's OpenMP system for the CPU (namespace zt::cpu). Code
// inside `namespace zt { namespace ZT_BACKEND_NS { ... } }` uses the names
// below and runs unchanged on either backend:
//
//   DeviceVector<T>       owning array in the backend's memory
//   policy()              Thrust execution policy of the backend (sort, scan, ...)
//   raw(v)                raw pointer into a DeviceVector, for kernel bodies
//   toDevice / toHost     copies between host arrays and DeviceVectors
//   launch1D / launch2D   the two launch forms (kernels/launchShape.h)
//   atomicAdd32           the 32-bit atomic addition kernels may use
//   checkDeviceMemory     the memory check before an allocation group (this and
//                         generateUniform are declared in kernels/backendFunctions.h)
//   RandomBuffer          cuRAND-identical uniform floats, owned
//   reportDeviceFailure   turns an exception from Thrust into a status
//
// A kernel body is a ZT_HD function named by what it computes, taking the
// element index first and its own parameters after, and starting with the
// bound check:
//
//   ZT_HD inline void scaleValues(ElementIndex i, std::size_t n, float s, float* v) {
//       if (i >= n) return;
//       v[i] *= s;
//   }
//
//   KernelStatus scaleAll(std::vector<float>& values, float s) {
//       if (!checkDeviceMemory(values.size() * sizeof(float)))
//           return KernelStatus::NotEnoughMemory;
//       try {
//           DeviceVector<float> d = toDevice(values);
//           float* p = raw(d);
//           const std::size_t n = values.size();
//           ZT_RETURN_IF_FAILED(launch1D("scaleValues", n,
//                                        ZT_LAMBDA(ElementIndex i) { scaleValues(i, n, s, p); }));
//           toHost(d, values.data());
//           return KernelStatus::Ok;
//       } catch (...) {
//           return reportDeviceFailure("scaleAll");
//       }
//   }
//
// nvcc only accepts ZT_LAMBDA directly inside a named function: not inside
// another lambda, not in a private member function. A struct with a ZT_HD
// operator()(ElementIndex) const works everywhere.

#if defined(__CUDACC__) && !defined(ZT_BACKEND_CPU)
#define ZT_BACKEND_CUDA 1
#define ZT_BACKEND_CPU 0
#define ZT_BACKEND_NS cuda
#define ZT_BACKEND_NAME "cuda"
#else
#undef ZT_BACKEND_CPU
#define ZT_BACKEND_CPU 1
#define ZT_BACKEND_CUDA 0
#define ZT_BACKEND_NS cpu
#define ZT_BACKEND_NAME "cpu"
#ifndef THRUST_DEVICE_SYSTEM
#define THRUST_DEVICE_SYSTEM THRUST_DEVICE_SYSTEM_OMP
#endif
#endif

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <thrust/copy.h>
#include <thrust/system_error.h>

#if ZT_BACKEND_CUDA
#include <cuda_runtime.h>
#include <thrust/system/cuda/execution_policy.h>
#include <thrust/system/cuda/vector.h>
#else
#include <thrust/system/omp/execution_policy.h>
#include <thrust/system/omp/vector.h>
#endif

#include "kernels/backend.h"
#include "kernels/backendFunctions.h"
#include "kernels/hostDevice.h"
#include "kernels/launchShape.h"
#include "kernels/xorwow.h"

#if ZT_BACKEND_CUDA
#define ZT_LAMBDA [=] __host__ __device__
#else
#define ZT_LAMBDA [=]
#endif

// Returns from the enclosing function with the status of `expr` unless it
// succeeded.
#define ZT_RETURN_IF_FAILED(expr)                    \
    do {                                             \
        const ::zt::KernelStatus ztStatus_ = (expr); \
        if (ztStatus_ != ::zt::KernelStatus::Ok) {   \
            return ztStatus_;                        \
        }                                            \
    } while (0)

#if ZT_BACKEND_CUDA
// For direct CUDA runtime calls: reports the failing call's place and makes
// the enclosing launch function fail.
#define ZT_CUDA_CHECK(call)                                      \
    do {                                                         \
        if ((call) != cudaSuccess) {                             \
            std::printf("Error at %s:%d\n", __FILE__, __LINE__); \
            return ::zt::KernelStatus::DeviceError;              \
        }                                                        \
    } while (0)
#endif

namespace zt {
namespace ZT_BACKEND_NS {

#if ZT_BACKEND_CUDA
template <class T>
using DeviceVector = thrust::cuda::vector<T>;
inline const auto& policy() {
    return thrust::cuda::par;
}
#else
template <class T>
using DeviceVector = thrust::omp::vector<T>;
inline const auto& policy() {
    return thrust::omp::par;
}
#endif

template <class T>
T* raw(DeviceVector<T>& v) {
    return thrust::raw_pointer_cast(v.data());
}

template <class T>
const T* raw(const DeviceVector<T>& v) {
    return thrust::raw_pointer_cast(v.data());
}

template <class T>
DeviceVector<T> toDevice(const T* host, std::size_t count) {
    return DeviceVector<T>(host, host + count);
}

template <class T>
DeviceVector<T> toDevice(const std::vector<T>& host) {
    return toDevice(host.data(), host.size());
}

template <class T>
void toHost(const DeviceVector<T>& device, T* host) {
    thrust::copy(device.begin(), device.end(), host);
}

template <class T>
std::vector<T> toHost(const DeviceVector<T>& device) {
    std::vector<T> host(device.size());
    toHost(device, host.data());
    return host;
}

// Atomic 32-bit addition returning the previous value; the only kind of
// write two kernel threads may make to the same element.
ZT_HD inline unsigned int atomicAdd32(unsigned int* address, unsigned int value) {
#if defined(__CUDA_ARCH__)
    return atomicAdd(address, value);
#else
    return __atomic_fetch_add(address, value, __ATOMIC_RELAXED);
#endif
}

ZT_HD inline int atomicAdd32(int* address, int value) {
#if defined(__CUDA_ARCH__)
    return atomicAdd(address, value);
#else
    return __atomic_fetch_add(address, value, __ATOMIC_RELAXED);
#endif
}

// Call from a catch (...) block around Thrust work: prints what failed to the
// error stream and returns the status for the caller to pass on. Covers
// thrust::system_error (device allocation, sort, copy), std::bad_alloc and
// any other exception, so no exception leaves a launch function.
KernelStatus reportDeviceFailure(const char* what) noexcept;

namespace detail {

inline void reportLaunchFailure(const char* name, const char* error) {
    std::printf("Failed to launch %s kernel, error code: %s\n", name, error);
}

#if ZT_BACKEND_CUDA
// One kernel serves both forms: with gridDim.y == 1 the index reduces to
// blockIdx.x * blockDim.x + threadIdx.x.
template <class Body>
__global__ void forwardToBody(Body body) {
    const ElementIndex index = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    body(index);
}

template <class Body>
KernelStatus launchShape(const char* name, const LaunchShape& shape, const Body& body) {
    const dim3 grid(shape.grid.x, shape.grid.y, shape.grid.z);
    const dim3 block(shape.block.x, shape.block.y, shape.block.z);
    forwardToBody<<<grid, block, 0, 0>>>(body);
    const cudaError_t error = cudaGetLastError();
    if (error != cudaSuccess) {
        reportLaunchFailure(name, cudaGetErrorString(error));
        return KernelStatus::LaunchFailed;
    }
    return KernelStatus::Ok;
}
#else
// The whole index space of the grid, in order, each index handed to the body
// exactly once; the body's bound check discards the surplus threads as it
// does on the GPU.
// Below this many indices, waking the thread team costs more than the work.
constexpr std::int64_t kParallelLaunchThreshold = 32768;

template <class Body>
KernelStatus launchShape(const char* /*name*/, const LaunchShape& shape, const Body& body) {
    const auto threads = static_cast<std::int64_t>(shape.threads());
    const bool parallel = threads >= kParallelLaunchThreshold && !serialExecution();
#pragma omp parallel for schedule(static) if (parallel)
    for (std::int64_t i = 0; i < threads; ++i) {
        body(static_cast<ElementIndex>(i));
    }
    return KernelStatus::Ok;
}
#endif

}  // namespace detail

// One-dimensional launch of `body` over n elements (n = 0 allowed).
template <class Body>
KernelStatus launch1D(const char* name, std::size_t n, const Body& body) {
    const std::optional<LaunchShape> shape = shape1D(n);
    if (!shape) {
        detail::reportLaunchFailure(name, "element count exceeds the 32-bit index space");
        return KernelStatus::InvalidLaunch;
    }
    return detail::launchShape(name, *shape, body);
}

// Two-dimensional launch with block width 64 or 128. Refused (InvalidLaunch,
// nothing runs) for n = 0: the caller decides what an empty range means.
template <class Body>
KernelStatus launch2D(const char* name, std::size_t n, unsigned int width, const Body& body) {
    if (n == 0) {
        std::fprintf(stderr, "Refused to launch %s kernel over an empty range\n", name);
        return KernelStatus::InvalidLaunch;
    }
    const std::optional<LaunchShape> shape = shape2D(n, width);
    if (!shape) {
        detail::reportLaunchFailure(name, isValidBlockWidth2D(width)
                                              ? "element count exceeds the grid limits"
                                              : "block width must be 64 or 128");
        return KernelStatus::InvalidLaunch;
    }
    return detail::launchShape(name, *shape, body);
}

// N uniform floats for the kernels of one compute call, in the backend's
// memory: the memory check, the allocation and the fill happen on
// construction, the release on destruction. Check status() before use.
class RandomBuffer {
public:
    RandomBuffer(std::size_t count, unsigned long long seed);

    KernelStatus status() const { return status_; }
    bool ok() const { return status_ == KernelStatus::Ok; }
    const float* data() const { return raw(values_); }
    std::size_t size() const { return values_.size(); }
    std::vector<float> toHost() const;

private:
    DeviceVector<float> values_;
    KernelStatus status_ = KernelStatus::Ok;
};

}  // namespace ZT_BACKEND_NS
}  // namespace zt
