#pragma once
// Pieces of the host-side input checks that run before a kernel's arrays are
// uploaded: one wording for a wrong array length and one scan each for
// triangle ids and triangle corners that would read outside the mesh.
// Each returns an empty string when the input is usable.

#include <cstddef>
#include <string>
#include <vector>

namespace zt {

// "<what> has <length> values, expected <expected>".
inline std::string lengthProblem(const char* what, std::size_t length, std::size_t expected) {
    return std::string(what) + " has " + std::to_string(length) + " values, expected " +
           std::to_string(expected);
}

// The first point whose triangle id is not below `triangleCount`.
inline std::string triangleIdProblem(const std::vector<unsigned int>& triangleIds,
                                     std::size_t triangleCount) {
    for (std::size_t i = 0; i < triangleIds.size(); ++i) {
        if (triangleIds[i] >= triangleCount)
            return "point " + std::to_string(i) + " names triangle " +
                   std::to_string(triangleIds[i]) + " but the mesh has " +
                   std::to_string(triangleCount) + " triangles";
    }
    return std::string();
}

// The first triangle corner whose vertex is not below `vertexCount`.
inline std::string triangleCornerProblem(const std::vector<unsigned int>& triangleList,
                                         std::size_t vertexCount) {
    for (std::size_t k = 0; k < triangleList.size(); ++k) {
        if (triangleList[k] >= vertexCount)
            return "triangle corner " + std::to_string(k) + " names vertex " +
                   std::to_string(triangleList[k]) + " but the mesh has " +
                   std::to_string(vertexCount) + " vertices";
    }
    return std::string();
}

}  // namespace zt
