#pragma once
// Declares a host-side launch function once for both backends and gives node
// code one backend-neutral name to call.
//
// At namespace zt scope, in a plain C++ header:
//
//     ZT_KERNEL_ENTRY(computeTriangleAreas,
//                     KernelStatus(const float* points, std::size_t count, float* areas));
//
// declares zt::cpu::computeTriangleAreas and (with the CUDA build)
// zt::cuda::computeTriangleAreas with that signature, and defines the callable
// object zt::computeTriangleAreas, which forwards to the active backend. The
// definitions live in a kernel unit (kernels/*.cuh) inside
// `namespace zt { namespace ZT_BACKEND_NS { ... } }`, so they are compiled
// once per backend.
//
// The forwarder is an object rather than a function template so that
// argument-dependent lookup inside a backend namespace never picks it instead
// of the backend's own function.

#include <utility>

#include "kernels/backend.h"

namespace zt {
namespace detail {

template <class T>
using Signature = T;

template <class Sig>
struct BackendEntry;

template <class R, class... Params>
struct BackendEntry<R(Params...)> {
    R (*cpuFunction)(Params...);
    R (*cudaFunction)(Params...);

    R operator()(Params... args) const {
        if (cudaFunction != nullptr && activeBackend() == Backend::Cuda) {
            return cudaFunction(std::forward<Params>(args)...);
        }
        return cpuFunction(std::forward<Params>(args)...);
    }
};

}  // namespace detail
}  // namespace zt

#if ZT_HAVE_CUDA
#define ZT_KERNEL_ENTRY(name, ...)                                  \
    namespace cpu {                                                 \
    ::zt::detail::Signature<__VA_ARGS__> name;                      \
    }                                                               \
    namespace cuda {                                                \
    ::zt::detail::Signature<__VA_ARGS__> name;                      \
    }                                                               \
    inline constexpr ::zt::detail::BackendEntry<__VA_ARGS__> name { \
        &::zt::cpu::name, &::zt::cuda::name                         \
    }
#else
#define ZT_KERNEL_ENTRY(name, ...)                                  \
    namespace cpu {                                                 \
    ::zt::detail::Signature<__VA_ARGS__> name;                      \
    }                                                               \
    inline constexpr ::zt::detail::BackendEntry<__VA_ARGS__> name { \
        &::zt::cpu::name, nullptr                                   \
    }
#endif
