// The one source of every kernel and host-side launch function. nvcc compiles
// it for the CUDA backend; kernels/ztNodes_cpu.cpp compiles it again for the
// CPU backend.
//
// Kernel units are the kernels/*.cuh files. They hold no namespace of their
// own: the build lists them in ztKernelUnits.cuh, which is included below
// inside namespace zt::<backend>, bodies files (*Kernels.cuh) first, then the
// rest, each group by name; a unit that another unit includes is left to that
// unit. A new unit therefore needs no edit here. Units may rely on every
// header included before the namespace opens, which includes every plain
// kernels/*.h header.

#include "kernels/frame/frame.cuh"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <type_traits>
#include <utility>
#include <vector>

#include <thrust/count.h>
#include <thrust/fill.h>
#include <thrust/functional.h>
#include <thrust/gather.h>
#include <thrust/iterator/counting_iterator.h>
#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/scatter.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>
#include <thrust/transform.h>
#include <thrust/unique.h>

#include "kernels/frame/frame.inl"
#include "ztKernelHeaders.h"

namespace zt {
namespace ZT_BACKEND_NS {

#include "ztKernelUnits.cuh"

}  // namespace ZT_BACKEND_NS
}  // namespace zt
