#pragma once
// Three-vectors in double precision for checking the orientation and
// re-planting kernels' flat float arrays against hand-worked values.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace zt::testing {

struct V3 {
    double x, y, z;
    V3 operator+(V3 b) const { return {x + b.x, y + b.y, z + b.z}; }
    V3 operator-(V3 b) const { return {x - b.x, y - b.y, z - b.z}; }
    V3 operator*(double s) const { return {s * x, s * y, s * z}; }
    double dot(V3 b) const { return x * b.x + y * b.y + z * b.z; }
    V3 cross(V3 b) const { return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x}; }
    double length() const { return std::sqrt(dot(*this)); }
    V3 unit() const { return *this * (1.0 / length()); }
};

// Element i of a flat x, y, z array.
inline V3 at(const std::vector<float>& v, std::size_t i) {
    return {v[3 * i], v[3 * i + 1], v[3 * i + 2]};
}
inline double distance(V3 a, V3 b) {
    return (a - b).length();
}

}  // namespace zt::testing

#define EXPECT_V3_NEAR(actual, ex, ey, ez, tolerance)            \
    do {                                                         \
        const ::zt::testing::V3 a_ = (actual);                   \
        EXPECT_NEAR(a_.x, (ex), (tolerance)) << #actual << " x"; \
        EXPECT_NEAR(a_.y, (ey), (tolerance)) << #actual << " y"; \
        EXPECT_NEAR(a_.z, (ez), (tolerance)) << #actual << " z"; \
    } while (0)
