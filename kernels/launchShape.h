#pragma once
// Grid and block dimensions of the two launch forms. Both backends use these
// functions, so a kernel sees the same index space on the CPU as on the GPU.
//
// One-dimensional: block (64,1,1), grid (floor(n/64) + 1, 1, 1); the element
// index is blockIdx.x * blockDim.x + threadIdx.x. There is always one block
// more than strictly needed when n is a multiple of 64, and n = 0 still
// launches one block whose threads all fail the bound check.
//
// Two-dimensional: block (w,1,1) with w = 64 or 128; b = ceil(n/w) blocks,
// gx = ceil(sqrt(b)) (square root in double), gy = ceil(n / (gx*w)), grid
// (gx, gy, 1); the element index is
// (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x.
// It spreads the blocks over two grid dimensions and has no shape for n = 0.
//
// Element indices are 32-bit unsigned, as the built-in index arithmetic on the
// GPU is; a range whose index space does not fit has no shape either.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zt {

using ElementIndex = unsigned int;

struct Dim3 {
    unsigned int x = 1;
    unsigned int y = 1;
    unsigned int z = 1;
};

struct LaunchShape {
    Dim3 grid;
    Dim3 block;

    // Number of threads launched: every index in [0, threads()) reaches the
    // kernel body once.
    std::uint64_t threads() const {
        return std::uint64_t(grid.x) * grid.y * grid.z * block.x * block.y * block.z;
    }
};

constexpr unsigned int kBlockWidth1D = 64;

inline bool isValidBlockWidth2D(unsigned int width) {
    return width == 64 || width == 128;
}

namespace detail {
constexpr std::uint64_t kIndexSpace = std::uint64_t(1) << 32;
// The largest grid extent in y on current devices.
constexpr std::uint64_t kMaxGridY = 65535;
}  // namespace detail

inline std::optional<LaunchShape> shape1D(std::size_t n) {
    const std::uint64_t blocks = (std::uint64_t(n) >> 6) + 1;
    if (blocks * kBlockWidth1D > detail::kIndexSpace) {
        return std::nullopt;
    }
    LaunchShape shape;
    shape.grid.x = static_cast<unsigned int>(blocks);
    shape.block.x = kBlockWidth1D;
    return shape;
}

inline std::optional<LaunchShape> shape2D(std::size_t n, unsigned int width) {
    if (n == 0 || !isValidBlockWidth2D(width)) {
        return std::nullopt;
    }
    const std::uint64_t count = n;
    const std::uint64_t blocks = (count + width - 1) / width;
    const auto gx = static_cast<std::uint64_t>(std::ceil(std::sqrt(double(blocks))));
    const std::uint64_t rowElements = gx * width;
    const std::uint64_t gy = (count + rowElements - 1) / rowElements;
    if (gy > detail::kMaxGridY || gx * gy * width > detail::kIndexSpace) {
        return std::nullopt;
    }
    LaunchShape shape;
    shape.grid.x = static_cast<unsigned int>(gx);
    shape.grid.y = static_cast<unsigned int>(gy);
    shape.block.x = width;
    return shape;
}

}  // namespace zt
