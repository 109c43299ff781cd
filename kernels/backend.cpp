#include "kernels/backend.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kernels/backendFunctions.h"

namespace zt {

namespace {

std::string lowerCase(const char* text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

bool cudaDevicePresent(std::string* reason) {
#if ZT_HAVE_CUDA
    return cuda::deviceAvailable(reason);
#else
    if (reason) *reason = "this build has no CUDA backend";
    return false;
#endif
}

struct BackendSelection {
    Backend backend;
    std::string name;
};

const BackendSelection& selection() {
    static const BackendSelection selected = [] {
        const char* request = std::getenv("ZT_DEVICE");
        std::string reason;
        // Asking the CUDA runtime initialises it, which is slow; skip that
        // when the CPU backend was asked for.
        const bool askDevice = cudaBackendBuilt() && !(request && lowerCase(request) == "cpu");
        const bool devicePresent = askDevice && cudaDevicePresent(&reason);
        BackendChoice choice = chooseBackend(request, cudaBackendBuilt(), devicePresent);
        if (!choice.message.empty()) {
            if (!reason.empty()) choice.message += " (" + reason + ")";
            std::fprintf(stderr, "Error: %s\n", choice.message.c_str());
        }
        BackendSelection result{choice.backend, {}};
#if ZT_HAVE_CUDA
        if (result.backend == Backend::Cuda) {
            result.name = cuda::backendDescription();
            return result;
        }
#endif
        result.name = cpu::backendDescription();
        return result;
    }();
    return selected;
}

thread_local bool tlHasFreeMemoryOverride = false;
thread_local std::size_t tlFreeMemoryOverride = 0;

}  // namespace

const char* describe(KernelStatus status) {
    switch (status) {
        case KernelStatus::Ok:
            return "success";
        case KernelStatus::NotEnoughMemory:
            return "not enough device memory";
        case KernelStatus::LaunchFailed:
            return "kernel launch failed";
        case KernelStatus::DeviceError:
            return "device operation failed";
        case KernelStatus::InvalidLaunch:
            return "launch refused: empty range, bad block width or range too large";
        case KernelStatus::Interrupted:
            return "stopped on request";
    }
    return "unknown status";
}

BackendChoice chooseBackend(const char* request, bool cudaBuilt, bool deviceAvailable) {
    const bool cudaUsable = cudaBuilt && deviceAvailable;
    const Backend automatic = cudaUsable ? Backend::Cuda : Backend::Cpu;
    const std::string value = request ? lowerCase(request) : std::string();
    if (value.empty() || value == "auto") {
        return {automatic, {}};
    }
    if (value == "cpu") {
        return {Backend::Cpu, {}};
    }
    if (value == "cuda") {
        if (!cudaBuilt) {
            return {Backend::Cpu,
                    "ZT_DEVICE=cuda, but this build has no CUDA backend; using the CPU backend"};
        }
        if (!deviceAvailable) {
            return {Backend::Cpu,
                    "ZT_DEVICE=cuda, but no CUDA device is available; using the CPU backend"};
        }
        return {Backend::Cuda, {}};
    }
    return {automatic, "ZT_DEVICE=" + std::string(request) +
                           " is not one of auto, cuda, cpu; using the " +
                           (automatic == Backend::Cuda ? "CUDA" : "CPU") + " backend"};
}

Backend activeBackend() {
    return selection().backend;
}

std::string activeBackendName() {
    return selection().name;
}

bool serialExecution() {
    static const bool serial = [] {
        const char* value = std::getenv("ZT_SERIAL");
        return value != nullptr && *value != '\0' && std::string(value) != "0";
    }();
    return serial;
}

bool checkDeviceMemory(std::size_t bytes) {
#if ZT_HAVE_CUDA
    if (activeBackend() == Backend::Cuda) return cuda::checkDeviceMemory(bytes);
#endif
    return cpu::checkDeviceMemory(bytes);
}

std::size_t deviceFreeMemory() {
#if ZT_HAVE_CUDA
    if (activeBackend() == Backend::Cuda) return cuda::deviceFreeMemory();
#endif
    return cpu::deviceFreeMemory();
}

KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed) {
#if ZT_HAVE_CUDA
    if (activeBackend() == Backend::Cuda) return cuda::generateUniform(deviceOut, n, seed);
#endif
    return cpu::generateUniform(deviceOut, n, seed);
}

ScopedFreeMemoryOverride::ScopedFreeMemoryOverride(std::size_t freeBytes)
    : hadPrevious_(tlHasFreeMemoryOverride), previous_(tlFreeMemoryOverride) {
    tlHasFreeMemoryOverride = true;
    tlFreeMemoryOverride = freeBytes;
}

ScopedFreeMemoryOverride::~ScopedFreeMemoryOverride() {
    tlHasFreeMemoryOverride = hadPrevious_;
    tlFreeMemoryOverride = previous_;
}

namespace detail {
bool freeMemoryOverride(std::size_t* freeBytes) {
    if (tlHasFreeMemoryOverride) *freeBytes = tlFreeMemoryOverride;
    return tlHasFreeMemoryOverride;
}
}  // namespace detail

}  // namespace zt
