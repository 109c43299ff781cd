#pragma once
// Small kernels the tests launch through the frame, compiled for both
// backends like the plug-in's kernels.

#include <cstddef>
#include <vector>

#include "kernels/kernelEntry.h"

namespace zt {

// Launches a body over the one- or two-dimensional form for n elements that
// counts, per element, how often it was visited (into counts, n + guard
// entries, so writes past the range show), and how many indices reached the
// body at all (before its bound check).
ZT_KERNEL_ENTRY(countVisits1D,
                KernelStatus(std::size_t n, std::size_t guard, std::vector<unsigned int>& counts,
                             unsigned int& invocations));
ZT_KERNEL_ENTRY(countVisits2D,
                KernelStatus(std::size_t n, unsigned int width, std::size_t guard,
                             std::vector<unsigned int>& counts, unsigned int& invocations));

// out[i] = a float expression of a[i] and b[i] using + - * / and sqrt, which
// both backends must evaluate to the same bits.
ZT_KERNEL_ENTRY(mixValues, KernelStatus(const std::vector<float>& a, const std::vector<float>& b,
                                        std::vector<float>& out));

// The contents of a RandomBuffer of n floats for `seed`, copied to the host.
ZT_KERNEL_ENTRY(randomBufferContents,
                KernelStatus(std::size_t n, unsigned long long seed, std::vector<float>& out));

}  // namespace zt
