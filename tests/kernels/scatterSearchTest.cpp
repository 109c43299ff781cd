// The CPU scatter picks triangles and edges through a guide table; it must
// return exactly what the binary search the GPU runs returns.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include <omp.h>

#include "kernels/frame/frame.cuh"

namespace zt::cpu::probe {
#include "kernels/scatterKernels.cuh"
#include "kernels/scatterStreaming.cuh"
}  // namespace zt::cpu::probe

namespace zt {
namespace {

using cpu::probe::getTriIndex;
using cpu::probe::streaming::PrefixSumIndex;

std::vector<float> prefixSums(const std::vector<float>& sizes) {
    std::vector<float> cumulative(sizes.size());
    float sum = 0.0f;
    for (std::size_t i = 0; i < sizes.size(); ++i) cumulative[i] = sum += sizes[i];
    return cumulative;
}

TEST(TrianglePick, GuideTableAgreesWithTheBinarySearch) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int round = 0; round < 300; ++round) {
        const unsigned int count = 1 + rng() % (round < 150 ? 20 : 3000);
        std::vector<float> sizes(count);
        for (float& s : sizes) {
            // Zero-size elements (degenerate triangles) and a wide spread of sizes.
            const unsigned int kind = rng() % 4;
            s = kind == 0 ? 0.0f : (kind == 1 ? unit(rng) * 1e-4f : unit(rng) * 10.0f);
        }
        const std::vector<float> cumulative = prefixSums(sizes);
        const float total = cumulative.back();
        const PrefixSumIndex index(cumulative.data(), count, total);
        std::vector<float> rs = {0.0f, 1.0f, 1e-9f, 0.5f, std::nextafter(1.0f, 0.0f)};
        for (unsigned int t = 0; t < count; t += 1 + count / 50) {
            if (total > 0.0f) {
                // Targets landing exactly on, just below and just above an entry.
                const float r = cumulative[t] / total;
                rs.insert(rs.end(), {r, std::nextafter(r, 0.0f), std::nextafter(r, 1.0f)});
            }
        }
        for (int k = 0; k < 200; ++k) rs.push_back(unit(rng));
        for (const float r : rs) {
            if (!(r >= 0.0f && r <= 1.0f)) continue;
            ASSERT_EQ(index.pick(r),
                      getTriIndex(cumulative.data(), static_cast<int>(count), r, total))
                << "count " << count << " r " << r << " round " << round;
        }
    }
}

TEST(TrianglePick, ZeroSizeElementsAreNeverPickedBeforeTheEnd) {
    const std::vector<float> cumulative = prefixSums({1.0f, 0.0f, 0.0f, 2.0f, 0.0f});
    const PrefixSumIndex index(cumulative.data(), 5, 3.0f);
    for (float r = 0.001f; r < 1.0f; r += 0.001f) {
        const unsigned int t = index.pick(r);
        EXPECT_TRUE(t == 0 || t == 3) << r;
    }
    // A target at the very end of the table picks the last element.
    EXPECT_EQ(index.pick(1.0f), 4u);
}

}  // namespace
}  // namespace zt
