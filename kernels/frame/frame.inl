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
#if ZT_BACKEND_CUDA
    // A failed allocation leaves its error in the runtime's last-error slot,
    // where the next launch's check would find it and blame that launch.
    cudaGetLastError();
#endif
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
    if (n == 0) return KernelStatus::Ok;
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
        return KernelStatus::Ok;
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

// The CPU walks the buffer row by row (a row is one output of each of the
// 4096 streams), each thread over its own contiguous run of streams, so its
// writes are sequential within a row. Stream states are kept as five planes of
// 32-bit words; instead of shifting the register of every stream each step,
// the plane that held v[0] receives the new v[4] and the planes' roles
// rotate, so one step touches two words per stream.
void generateStreamRange(std::size_t begin, std::size_t end, std::size_t streams,
                         std::uint32_t* planes, std::uint32_t weyl, std::size_t n, float* out) {
    const std::size_t fullRows = n / kRandomStreams;
    const std::size_t tail = n % kRandomStreams;
    std::size_t oldest = 0;  // plane holding v[0]; v[4] is the one before it
    for (std::size_t row = 0; row <= fullRows; ++row) {
        const std::size_t stop = row < fullRows ? end : std::min(end, tail);
        if (stop <= begin) break;
        weyl += kXorwowWeylStep;
        std::uint32_t* first = planes + oldest * streams;
        const std::uint32_t* last = planes + ((oldest + 4) % 5) * streams;
        float* line = out + row * kRandomStreams;
#pragma omp simd
        for (std::size_t j = begin; j < stop; ++j) {
            const std::uint32_t t = first[j] ^ (first[j] >> 2);
            const std::uint32_t v4 = (last[j] ^ (last[j] << 4)) ^ (t ^ (t << 1));
            first[j] = v4;
            line[j] = uniformFromBits(v4 + weyl);
        }
        oldest = (oldest + 1) % 5;
    }
}

}  // namespace

KernelStatus generateUniform(float* deviceOut, std::size_t n, unsigned long long seed) {
    if (n == 0) return KernelStatus::Ok;
    try {
        const std::size_t streams = std::min(n, kRandomStreams);
        const std::vector<XorwowState> starts = xorwowStreamStarts(seed, streams);
        std::vector<std::uint32_t> planes(5 * streams);
        for (std::size_t i = 0; i < streams; ++i) {
            for (std::size_t k = 0; k < 5; ++k) planes[k * streams + i] = starts[i].v[k];
        }
        const std::uint32_t weyl = starts[0].d;
        // Small buffers are not worth waking the thread team for.
        const bool parallel = !serialExecution() && n >= 65536;
#pragma omp parallel if (parallel)
        {
            // Runs of whole cache lines, so no two threads share one.
            const std::size_t lines = (streams + 15) / 16;
            const auto team = static_cast<std::size_t>(omp_get_num_threads());
            const auto member = static_cast<std::size_t>(omp_get_thread_num());
            const std::size_t begin = std::min(streams, lines * member / team * 16);
            const std::size_t end = std::min(streams, lines * (member + 1) / team * 16);
            generateStreamRange(begin, end, streams, planes.data(), weyl, n, deviceOut);
        }
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("generateUniform");
    }
}

#endif

}  // namespace ZT_BACKEND_NS
}  // namespace zt
