// The CUDA and CPU backends give the same bits for the same work. Runs where
// the CUDA backend is built and a device is present; skipped elsewhere.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernels/backend.h"
#include "kernels/backendFunctions.h"
#include "tests/kernels/probe/frameProbes.h"

namespace {

// The CUDA side of each comparison. Without the CUDA build the fixture skips
// before any of these is reached.
namespace cudaSide {
#if ZT_HAVE_CUDA
using zt::cuda::countVisits1D;
using zt::cuda::mixValues;
using zt::cuda::randomBufferContents;
#else
zt::KernelStatus randomBufferContents(std::size_t, unsigned long long, std::vector<float>&) {
    return zt::KernelStatus::DeviceError;
}
zt::KernelStatus mixValues(const std::vector<float>&, const std::vector<float>&,
                           std::vector<float>&) {
    return zt::KernelStatus::DeviceError;
}
zt::KernelStatus countVisits1D(std::size_t, std::size_t, std::vector<unsigned int>&,
                               unsigned int&) {
    return zt::KernelStatus::DeviceError;
}
#endif
}  // namespace cudaSide

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class CrossBackend : public ::testing::Test {
protected:
    void SetUp() override {
#if ZT_HAVE_CUDA
        std::string reason;
        if (!zt::cuda::deviceAvailable(&reason)) {
            GTEST_SKIP() << "no CUDA device (" << reason << "): cross-backend checks did not run";
        }
#else
        GTEST_SKIP() << "this build has no CUDA backend: cross-backend checks did not run";
#endif
    }
};

TEST_F(CrossBackend, RandomBuffersAreIdentical) {
    for (unsigned long long seed : {0ull, 1ull, 1234ull, 0xfedcba9876543210ull}) {
        for (std::size_t n : {std::size_t(1), std::size_t(4097), std::size_t(1000000)}) {
            std::vector<float> onCpu, onCuda;
            ASSERT_EQ(zt::cpu::randomBufferContents(n, seed, onCpu), zt::KernelStatus::Ok);
            ASSERT_EQ(cudaSide::randomBufferContents(n, seed, onCuda), zt::KernelStatus::Ok);
            EXPECT_TRUE(sameBits(onCpu, onCuda)) << "seed " << seed << ", " << n << " floats";
        }
    }
}

TEST_F(CrossBackend, KernelArithmeticIsIdentical) {
    std::vector<float> a, b;
    ASSERT_EQ(zt::cpu::randomBufferContents(300000, 11, a), zt::KernelStatus::Ok);
    ASSERT_EQ(zt::cpu::randomBufferContents(300000, 12, b), zt::KernelStatus::Ok);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = (a[i] - 0.5f) * 1000.0f;
        b[i] = (b[i] - 0.25f) * 3.0f;
    }
    std::vector<float> onCpu, onCuda;
    ASSERT_EQ(zt::cpu::mixValues(a, b, onCpu), zt::KernelStatus::Ok);
    ASSERT_EQ(cudaSide::mixValues(a, b, onCuda), zt::KernelStatus::Ok);
    ASSERT_EQ(onCpu.size(), a.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < onCpu.size(); ++i) {
        if (std::memcmp(&onCpu[i], &onCuda[i], sizeof(float)) != 0 && differing++ < 5) {
            ADD_FAILURE() << "element " << i << ": cpu " << onCpu[i] << ", cuda " << onCuda[i];
        }
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(CrossBackend, LaunchesCoverTheSameIndexSpace) {
    for (std::size_t n : {std::size_t(0), std::size_t(64), std::size_t(100001)}) {
        std::vector<unsigned int> onCpu, onCuda;
        unsigned int cpuInvocations = 0, cudaInvocations = 0;
        ASSERT_EQ(zt::cpu::countVisits1D(n, 64, onCpu, cpuInvocations), zt::KernelStatus::Ok);
        ASSERT_EQ(cudaSide::countVisits1D(n, 64, onCuda, cudaInvocations), zt::KernelStatus::Ok);
        EXPECT_EQ(onCpu, onCuda) << n;
        EXPECT_EQ(cpuInvocations, cudaInvocations) << n;
    }
}

}  // namespace
