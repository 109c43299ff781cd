#pragma once
// Compute backends of the kernels: which one runs, how it reports failures,
// and the few backend-neutral entry points (memory check, random numbers)
// that node code may call directly. Plain C++: no Thrust, no CUDA headers.
//
// The kernels are compiled twice, once per backend, into the namespaces
// zt::cpu and zt::cuda (the latter only when ZT_HAVE_CUDA is 1). Node code
// calls the backend-neutral names in namespace zt, which forward to the
// backend chosen once per process (see activeBackend()).

#include <cstddef>
#include <string>

#ifndef ZT_HAVE_CUDA
#define ZT_HAVE_CUDA 0
#endif

namespace zt {

enum class Backend { Cpu, Cuda };

// Outcome of a kernel launch function. Anything but Ok means the
// caller's compute fails (MS::kFailure); the launch function has already
// printed the diagnostic that goes with it, and released what it allocated.
enum class [[nodiscard]] KernelStatus{
    Ok,
    NotEnoughMemory,  // the memory check refused the allocation group
    LaunchFailed,     // "Failed to launch <name> kernel, ..." was printed
    DeviceError,      // a runtime call or a Thrust operation failed
    InvalidLaunch,    // empty two-dimensional range, bad block width, range too large
    Interrupted,      // the caller's progress function asked to stop
};

constexpr bool succeeded(KernelStatus status) {
    return status == KernelStatus::Ok;
}
const char* describe(KernelStatus status);

// The backend every call goes to, chosen on first use from the environment:
//   ZT_DEVICE=auto (default)  CUDA when it is built and a device is present, else CPU
//   ZT_DEVICE=cuda            CUDA; without a device or without the CUDA build an
//                             error is printed and the CPU backend is used
//   ZT_DEVICE=cpu             CPU
// ZT_SERIAL=1 makes the CPU backend run every parallel loop on one thread.
Backend activeBackend();

// e.g. "cpu (OpenMP, 2 threads)" or "cuda (NVIDIA H100 80GB HBM3, compute 9.0)".
std::string activeBackendName();

constexpr bool cudaBackendBuilt() {
    return ZT_HAVE_CUDA != 0;
}

// True when ZT_SERIAL asked for single-threaded CPU loops.
bool serialExecution();

// The decision behind activeBackend(), as a pure function. `request` is the
// value of ZT_DEVICE (null when unset). `message` is empty when the request
// was honoured and otherwise says what was asked and what is used instead.
struct BackendChoice {
    Backend backend = Backend::Cpu;
    std::string message;
};
BackendChoice chooseBackend(const char* request, bool cudaBuilt, bool deviceAvailable);

// Memory check before a group of allocations on the active backend: true when
// `bytes` are at most the free memory (equality passes). On CUDA the free
// amount comes from cudaMemGetInfo (a failing query prints
// "Error: cudaMemGetInfo fails, ..." and ends the process with status 1); on
// the CPU it is MemAvailable from /proc/meminfo.
bool checkDeviceMemory(std::size_t bytes);

// Fills `deviceOut` (n floats in the active backend's memory) with uniform
// floats in (0, 1], bit-identical to cuRAND's default pseudo-random generator
// (XORWOW, default ordering, offset 0) seeded with `seed`.
KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed);

// Free memory as the memory check sees it for the active backend.
std::size_t deviceFreeMemory();

// Test seam: while an instance lives, the memory check on this thread sees
// `freeBytes` as the free amount instead of asking the backend.
class ScopedFreeMemoryOverride {
public:
    explicit ScopedFreeMemoryOverride(std::size_t freeBytes);
    ~ScopedFreeMemoryOverride();
    ScopedFreeMemoryOverride(const ScopedFreeMemoryOverride&) = delete;
    ScopedFreeMemoryOverride& operator=(const ScopedFreeMemoryOverride&) = delete;

private:
    bool hadPrevious_;
    std::size_t previous_;
};

namespace detail {
// The override installed by ScopedFreeMemoryOverride on this thread, if any.
bool freeMemoryOverride(std::size_t* freeBytes);
}  // namespace detail

}  // namespace zt
