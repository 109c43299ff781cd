#pragma once
// The functions each backend defines once (kernels/frame/frame.inl), declared
// for both so that backend-neutral code can reach them.

#include <cstddef>
#include <string>

#include "kernels/backend.h"

namespace zt {

namespace cpu {
bool checkDeviceMemory(std::size_t bytes);
std::size_t deviceFreeMemory();
KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed);
std::string backendDescription();
}  // namespace cpu

#if ZT_HAVE_CUDA
namespace cuda {
bool checkDeviceMemory(std::size_t bytes);
std::size_t deviceFreeMemory();
KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed);
std::string backendDescription();
// Whether the CUDA runtime sees a device; `reason` says why not.
bool deviceAvailable(std::string* reason);
}  // namespace cuda
#endif

}  // namespace zt
