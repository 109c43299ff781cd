#pragma once
// Names of the point-set channels. They follow the names Maya's particle
// instancer reads, so a point set can drive an instancer directly; scripts
// and cache files store them, so they never change.

namespace zt::channels {

inline constexpr const char* kPosition = "position";              // vector
inline constexpr const char* kTriangleId = "triID";               // int
inline constexpr const char* kUv = "uv";                          // vector (u, v, 0)
inline constexpr const char* kPointId = "pointID";                // int
inline constexpr const char* kNormal = "normal";                  // vector
inline constexpr const char* kRotationType = "rotationType";      // int
inline constexpr const char* kAimDirection = "aimDirection";      // vector
inline constexpr const char* kAimWorldUp = "aimWorldUp";          // vector
inline constexpr const char* kRotationRgb = "rotationRGB";        // vector
inline constexpr const char* kIntersection = "intersection";      // vector
inline constexpr const char* kDistanceToEdge = "distanceToEdge";  // vector
inline constexpr const char* kScale = "scale";                    // vector
inline constexpr const char* kObjectIndex = "objectIndex";        // int
inline constexpr const char* kFallof = "fallof";                  // double

}  // namespace zt::channels
