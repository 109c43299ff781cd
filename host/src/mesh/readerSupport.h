#pragma once
// Pieces the mesh file readers share: loading a file, building and checking
// the geometry, and the error text format "<path>: <what>".

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "meshGeometry.h"

namespace zt::host::readers {

// What a reader collects before the geometry is checked and built.
struct RawMesh {
    std::vector<float> points;
    std::vector<int> faceCounts;
    std::vector<int> faceVertices;
    bool hasUVs = false;
    std::vector<float> u, v;
    std::vector<int> cornerUVs;  // one per face corner, -1 for none
    bool hasColors = false;
    std::vector<std::array<float, 4>> colors;  // one per vertex
    std::vector<std::uint8_t> colorIsSet;      // one per vertex
};

// A number read as double, as float; values beyond the float range become
// infinite (and so are refused as non-finite) rather than undefined.
float toFloat(double value);

[[noreturn]] void fail(const std::string& path, const std::string& what);

// The whole file as bytes; MeshError when it cannot be read or is empty.
std::string loadFile(const std::string& path);

// Checks the collected data (at least one face, valid topology, finite
// numbers) and builds the mesh, with the colours as "colorSet1".
MeshGeometry buildMesh(const std::string& path, RawMesh raw);

}  // namespace zt::host::readers
