// Random numbers: the project's XORWOW against libcurand's host generator,
// bit for bit, and the properties that hold without a reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kernels/backend.h"
#include "kernels/backendFunctions.h"
#include "kernels/xorwow.h"
#include "tests/kernels/probe/frameProbes.h"

#if ZT_HAVE_CURAND
#include <curand.h>
#endif

namespace {

std::vector<float> generateOnActiveBackend(std::size_t n, unsigned long long seed) {
    std::vector<float> values;
    const zt::KernelStatus status = zt::randomBufferContents(n, seed, values);
    EXPECT_EQ(status, zt::KernelStatus::Ok) << zt::describe(status);
    return values;
}

// Index of the first element whose bits differ, or -1.
long long firstBitDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long long>(i);
    }
    return -1;
}

#if ZT_HAVE_CURAND
std::vector<float> curandReference(std::size_t n, unsigned long long seed) {
    curandGenerator_t generator = nullptr;
    EXPECT_EQ(curandCreateGeneratorHost(&generator, CURAND_RNG_PSEUDO_DEFAULT),
              CURAND_STATUS_SUCCESS);
    EXPECT_EQ(curandSetPseudoRandomGeneratorSeed(generator, seed), CURAND_STATUS_SUCCESS);
    std::vector<float> values(n);
    EXPECT_EQ(curandGenerateUniform(generator, values.data(), n), CURAND_STATUS_SUCCESS);
    curandDestroyGenerator(generator);
    return values;
}
#endif

TEST(RandomNumbers, MatchCurandBitForBit) {
#if ZT_HAVE_CURAND
    const unsigned long long seeds[] = {0, 1, 123, 1234, 2147483647ull};
    const std::size_t lengths[] = {1, 5, 1000, 10000, 4097, 10000000};
    for (unsigned long long seed : seeds) {
        for (std::size_t n : lengths) {
            const std::vector<float> ours = generateOnActiveBackend(n, seed);
            const std::vector<float> reference = curandReference(n, seed);
            EXPECT_EQ(firstBitDifference(ours, reference), -1)
                << "seed " << seed << ", " << n << " floats, backend " << zt::activeBackendName();
        }
    }
#else
    GTEST_SKIP() << "libcurand was not found at configure time: the bit-for-bit comparison "
                    "with cuRAND did not run";
#endif
}

TEST(RandomNumbers, HighSeedWordsChangeTheSequence) {
    // The upper 32 bits of the seed feed half of the state: seeds that differ
    // only there must not give the same numbers.
    const std::vector<float> low = generateOnActiveBackend(64, 7);
    const std::vector<float> high = generateOnActiveBackend(64, 7 + (1ull << 32));
    EXPECT_NE(firstBitDifference(low, high), -1);
#if ZT_HAVE_CURAND
    EXPECT_EQ(firstBitDifference(high, curandReference(64, 7 + (1ull << 32))), -1);
#endif
}

TEST(RandomNumbers, ShorterBufferIsPrefixOfLongerOne) {
    // Element k*4096 + i is the k-th output of stream i whatever the length,
    // so lengths on both sides of the stream count agree on their overlap.
    const std::vector<float> longer = generateOnActiveBackend(3 * 4096 + 17, 99);
    for (std::size_t n : {std::size_t(1), std::size_t(4095), std::size_t(4096), std::size_t(4097),
                          std::size_t(2 * 4096 + 1)}) {
        std::vector<float> shorter = generateOnActiveBackend(n, 99);
        std::vector<float> prefix(longer.begin(), longer.begin() + static_cast<long>(n));
        EXPECT_EQ(firstBitDifference(shorter, prefix), -1) << n << " floats";
    }
}

TEST(RandomNumbers, ValuesLieInUnitIntervalAndLookUniform) {
    const std::vector<float> values = generateOnActiveBackend(1000000, 5);
    double sum = 0;
    std::size_t buckets[10] = {};
    for (float v : values) {
        ASSERT_GT(v, 0.0f);
        ASSERT_LE(v, 1.0f);
        sum += v;
        ++buckets[std::min<std::size_t>(9, static_cast<std::size_t>(v * 10))];
    }
    EXPECT_NEAR(sum / values.size(), 0.5, 0.002);
    for (std::size_t count : buckets) {
        EXPECT_NEAR(static_cast<double>(count), 100000.0, 1500.0);
    }
}

TEST(RandomNumbers, CpuGeneratorWritesExactlyTheRequestedRange) {
    const float sentinel = -1.0f;
    for (std::size_t n : {std::size_t(0), std::size_t(3), std::size_t(4096 + 5)}) {
        std::vector<float> buffer(n + 64, sentinel);
        ASSERT_EQ(zt::cpu::generateUniform(buffer.data(), n, 42), zt::KernelStatus::Ok);
        for (std::size_t i = 0; i < n; ++i) ASSERT_GT(buffer[i], 0.0f) << i;
        for (std::size_t i = n; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], sentinel) << i;
    }
}

TEST(Xorwow, BitsMapIntoTheHalfOpenUnitInterval) {
    // The smallest output stays above 0 and the largest rounds to exactly 1.
    EXPECT_EQ(zt::uniformFromBits(0u), 2.3283064e-10f / 2.0f);
    EXPECT_EQ(zt::uniformFromBits(0xffffffffu), 1.0f);
}

TEST(Xorwow, MatrixPowersEqualRepeatedSteps) {
    const zt::XorwowMatrix step = zt::XorwowMatrix::step();
    EXPECT_EQ(step * zt::XorwowMatrix::identity(), step);
    EXPECT_EQ(zt::XorwowMatrix::identity() * step, step);
    EXPECT_FALSE(step == zt::XorwowMatrix::identity());

    zt::XorwowMatrix power = step;  // step^(2^k)
    const zt::XorwowState seeded = zt::xorwowSeed(2024);
    for (int k = 0; k <= 12; ++k) {
        std::uint32_t jumped[5];
        std::uint32_t stepped[5];
        std::memcpy(jumped, seeded.v, sizeof(jumped));
        std::memcpy(stepped, seeded.v, sizeof(stepped));
        power.apply(jumped);
        for (int i = 0; i < (1 << k); ++i) zt::xorwowShift(stepped);
        EXPECT_EQ(std::memcmp(jumped, stepped, sizeof(jumped)), 0) << "2^" << k << " steps";
        power = power.squared();
    }
}

TEST(Xorwow, StreamStartsShareTheWeylTermAndDiffer) {
    const std::vector<zt::XorwowState> starts = zt::xorwowStreamStarts(77, 4096);
    ASSERT_EQ(starts.size(), 4096u);
    const zt::XorwowState seeded = zt::xorwowSeed(77);
    EXPECT_EQ(std::memcmp(starts[0].v, seeded.v, sizeof(seeded.v)), 0);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        ASSERT_EQ(starts[i].d, seeded.d);
        ASSERT_NE(std::memcmp(starts[i].v, starts[i - 1].v, sizeof(seeded.v)), 0) << i;
    }
    // Fewer streams are the same streams.
    const std::vector<zt::XorwowState> few = zt::xorwowStreamStarts(77, 3);
    EXPECT_EQ(std::memcmp(few[2].v, starts[2].v, sizeof(seeded.v)), 0);
    EXPECT_TRUE(zt::xorwowStreamStarts(77, 0).empty());
}

}  // namespace
