// Definitions of the frame's backend functions, compiled once per backend as
// part of kernels/ztNodes.cu. Include kernels/frame/frame.cuh first.

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "kernels/hostMemory.h"

#if ZT_BACKEND_CPU
#include <omp.h>
#endif

namespace zt {
namespace ZT_BACKEND_NS {

KernelStatus reportDeviceFailure(const char* what) noexcept {
    try {
        throw;
    } catch (const thrust::system_error& error) {
        std::fprintf(stderr, "Error: %s failed on the %s backend: %s\n", what, ZT_BACKEND_NAME,
                     error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Error: %s failed on the %s backend: out of memory\n", what,
                     ZT_BACKEND_NAME);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s failed on the %s backend: %s\n", what, ZT_BACKEND_NAME,
                     error.what());
    } catch (...) {
        std::fprintf(stderr, "Error: %s failed on the %s backend: unknown exception\n", what,
                     ZT_BACKEND_NAME);
    }
    return KernelStatus::DeviceError;
}

bool checkDeviceMemory(std::size_t bytes) {
    return bytes <= deviceFreeMemory();
}

RandomBuffer::RandomBuffer(std::size_t count, unsigned long long seed) {
    if (!checkDeviceMemory(count * sizeof(float))) {
        status_ = KernelStatus::NotEnoughMemory;
        return;
    }
    try {
        values_.resize(count);
    } catch (...) {
        status_ = reportDeviceFailure("allocating random numbers");
        return;
    }
    status_ = generateUniform(raw(values_), count, seed);
}

std::vector<float> RandomBuffer::toHost() const {
    return ZT_BACKEND_NS::toHost(values_);
}

#if ZT_BACKEND_CUDA

std::size_t deviceFreeMemory() {
    std::size_t faked = 0;
    if (::zt::detail::freeMemoryOverride(&faked)) {
        return faked;
    }
    std::size_t freeBytes = 0;
    std::size_t totalBytes = 0;
    const cudaError_t error = cudaMemGetInfo(&freeBytes, &totalBytes);
    if (error != cudaSuccess) {
        std::printf("Error: cudaMemGetInfo fails, %s \n", cudaGetErrorString(error));
        std::exit(1);
    }
    return freeBytes;
}

// Whether a usable device is present; the reason when it is not.
bool deviceAvailable(std::string* reason) {
    int count = 0;
    const cudaError_t error = cudaGetDeviceCount(&count);
    if (error != cudaSuccess) {
        if (reason) *reason = cudaGetErrorString(error);
        return false;
    }
    if (count == 0) {
        if (reason) *reason = "no CUDA device found";
        return false;
    }
    return true;
}

std::string backendDescription() {
    int device = 0;
    cudaDeviceProp properties;
    if (cudaGetDevice(&device) != cudaSuccess ||
        cudaGetDeviceProperties(&properties, device) != cudaSuccess) {
        return "cuda (device unknown)";
    }
    return "cuda (" + std::string(properties.name) + ", compute " +
           std::to_string(properties.major) + "." + std::to_string(properties.minor) + ")";
}

// Stream `stream` of the generator writes elements stream, stream + 4096, ...
ZT_HD inline void generateUniformStream(ElementIndex stream, std::size_t streams, std::size_t n,
                                        const XorwowState* starts, float* out) {
    if (stream >= streams) return;
    XorwowState state = starts[stream];
    for (std::size_t k = stream; k < n; k += kRandomStreams) {
        out[k] = uniformFromBits(xorwowNext(state));
    }
}

KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed) {
    if (n == 0) return KernelStatus::Success;
    try {
        const std::size_t streams = std::min(n, kRandomStreams);
        const DeviceVector<XorwowState> starts = toDevice(xorwowStreamStarts(seed, streams));
        const XorwowState* startsPtr = raw(starts);
        ZT_RETURN_IF_FAILED(launch1D(
            "generateUniform", streams, ZT_LAMBDA(ElementIndex i) {
                generateUniformStream(i, streams, n, startsPtr, deviceOut);
            }));
        // The start states are released on return; the kernel must be done
        // with them before that.
        ZT_CUDA_CHECK(cudaDeviceSynchronize());
        return KernelStatus::Success;
    } catch (...) {
        return reportDeviceFailure("generateUniform");
    }
}

#else  // CPU backend

std::size_t deviceFreeMemory() {
    std::size_t faked = 0;
    if (::zt::detail::freeMemoryOverride(&faked)) {
        return faked;
    }
    return hostAvailableMemory();
}

std::string backendDescription() {
    if (serialExecution()) return "cpu (serial)";
    const int threads = omp_get_max_threads();
    return "cpu (OpenMP, " + std::to_string(threads) + (threads == 1 ? " thread)" : " threads)");
}

namespace {

// Sixteen neighbouring streams fill one 64-byte line of every row together,
// so each thread writes whole cache lines in order instead of one float per
// line 4096 floats apart.
constexpr std::size_t kStreamGroup = 16;

void generateStreamGroup(std::size_t firstStream, const std::vector<XorwowState>& starts,
                         std::size_t n, float* out) {
    const std::size_t width = std::min(kStreamGroup, starts.size() - firstStream);
    std::uint32_t v0[kStreamGroup] = {}, v1[kStreamGroup] = {}, v2[kStreamGroup] = {},
                  v3[kStreamGroup] = {}, v4[kStreamGroup] = {};
    for (std::size_t j = 0; j < width; ++j) {
        const XorwowState& s = starts[firstStream + j];
        v0[j] = s.v[0];
        v1[j] = s.v[1];
        v2[j] = s.v[2];
        v3[j] = s.v[3];
        v4[j] = s.v[4];
    }
    const std::size_t fullRows = n / kRandomStreams;
    std::uint32_t d = starts[0].d;
    auto advance = [&](std::size_t j) {
        const std::uint32_t t = v0[j] ^ (v0[j] >> 2);
        v0[j] = v1[j];
        v1[j] = v2[j];
        v2[j] = v3[j];
        v3[j] = v4[j];
        v4[j] = (v4[j] ^ (v4[j] << 4)) ^ (t ^ (t << 1));
        return uniformFromBits(v4[j] + d);
    };
    for (std::size_t row = 0; row < fullRows; ++row) {
        d += kXorwowWeylStep;
        float* line = out + row * kRandomStreams + firstStream;
#pragma omp simd
        for (std::size_t j = 0; j < kStreamGroup; ++j) {
            line[j] = advance(j);
        }
    }
    // The last, partial row belongs to the first n % 4096 streams.
    const std::size_t tail = n % kRandomStreams;
    if (firstStream < tail) {
        d += kXorwowWeylStep;
        float* line = out + fullRows * kRandomStreams + firstStream;
        const std::size_t count = std::min(kStreamGroup, tail - firstStream);
        for (std::size_t j = 0; j < count; ++j) {
            line[j] = advance(j);
        }
    }
}

}  // namespace

KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed) {
    if (n == 0) return KernelStatus::Success;
    try {
        const std::vector<XorwowState> starts =
            xorwowStreamStarts(seed, std::min(n, kRandomStreams));
        const auto groups =
            static_cast<std::int64_t>((starts.size() + kStreamGroup - 1) / kStreamGroup);
        const bool parallel = !serialExecution();
#pragma omp parallel for schedule(static) if (parallel)
        for (std::int64_t g = 0; g < groups; ++g) {
            generateStreamGroup(static_cast<std::size_t>(g) * kStreamGroup, starts, n, deviceOut);
        }
        return KernelStatus::Success;
    } catch (...) {
        return reportDeviceFailure("generateUniform");
    }
}

#endif

}  // namespace ZT_BACKEND_NS
}  // namespace zt
