// The memory check before allocations, its test seam, and how the frame turns
// allocation failures into statuses.

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <vector>

#include "kernels/backend.h"
#include "kernels/hostMemory.h"
#include "tests/kernels/probe/frameProbes.h"

namespace {

TEST(MemoryCheck, RequestEqualToFreeMemoryPassesOneByteMoreFails) {
    for (std::size_t freeBytes : {std::size_t(0), std::size_t(4096), std::size_t(1) << 40}) {
        const zt::ScopedFreeMemoryOverride fake(freeBytes);
        EXPECT_EQ(zt::deviceFreeMemory(), freeBytes);
        EXPECT_TRUE(zt::checkDeviceMemory(freeBytes)) << freeBytes;
        EXPECT_FALSE(zt::checkDeviceMemory(freeBytes + 1)) << freeBytes;
    }
}

TEST(MemoryCheck, OverridesNestAndEndWithTheirScope) {
    const std::size_t real = zt::deviceFreeMemory();
    {
        const zt::ScopedFreeMemoryOverride outer(1000);
        {
            const zt::ScopedFreeMemoryOverride inner(10);
            EXPECT_FALSE(zt::checkDeviceMemory(11));
        }
        EXPECT_TRUE(zt::checkDeviceMemory(1000));
        EXPECT_FALSE(zt::checkDeviceMemory(1001));
    }
    // Back to the real amount, which is not the faked one (some memory is
    // always free on a machine that runs this test).
    EXPECT_GT(zt::deviceFreeMemory(), 1000u);
    EXPECT_NEAR(static_cast<double>(zt::deviceFreeMemory()), static_cast<double>(real),
                0.5 * static_cast<double>(real));
}

TEST(MemoryCheck, RandomBufferAllocatesNothingWhenTheCheckFails) {
    std::vector<float> values;
    {
        const zt::ScopedFreeMemoryOverride fake(1000 * sizeof(float) - 1);
        EXPECT_EQ(zt::randomBufferContents(1000, 1, values), zt::KernelStatus::NotEnoughMemory);
        EXPECT_TRUE(values.empty());
    }
    {
        const zt::ScopedFreeMemoryOverride fake(1000 * sizeof(float));
        EXPECT_EQ(zt::randomBufferContents(1000, 1, values), zt::KernelStatus::Ok);
        EXPECT_EQ(values.size(), 1000u);
    }
}

TEST(MemoryCheck, FailedAllocationBecomesAStatus) {
    // The check is told there is room, the allocation itself cannot succeed:
    // the frame reports it instead of letting the exception escape.
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer ends the process on an impossible allocation instead of "
                    "throwing, so the failure path cannot be reached under it";
#endif
    const zt::ScopedFreeMemoryOverride fake(~std::size_t(0));
    std::vector<float> values;
    EXPECT_EQ(zt::randomBufferContents(std::size_t(1) << 61, 1, values),
              zt::KernelStatus::DeviceError);
    EXPECT_TRUE(values.empty());
}

TEST(HostMemory, ParsesMemAvailableFromMeminfo) {
    const struct {
        const char* text;
        std::optional<std::size_t> bytes;
    } cases[] = {
        {"MemTotal:       24523392 kB\nMemFree:        23011200 kB\n"
         "MemAvailable:   23456789 kB\nBuffers:          123456 kB\n",
         std::size_t(23456789) * 1024},
        {"MemTotal: 100 kB\nMemFree: 50 kB\n", std::nullopt},  // missing
        {"MemAvailable: lots kB\n", std::nullopt},
        {"MemAvailable: 12 MB\n", std::nullopt},  // unknown unit
        // A key that merely starts like the wanted one is a different key.
        {"MemAvailableX: 5 kB\nMemAvailable: 7 kB\n", std::size_t(7) * 1024},
    };
    for (const auto& c : cases) {
        std::istringstream meminfo(c.text);
        EXPECT_EQ(zt::parseMemAvailable(meminfo), c.bytes) << c.text;
    }
    EXPECT_GT(zt::hostAvailableMemory(), 0u);
}

}  // namespace
