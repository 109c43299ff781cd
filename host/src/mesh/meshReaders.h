#pragma once
// Mesh file readers. Each returns a validated MeshGeometry whose vertices are
// the file's vertices in the file's order (a vertex shared by several faces
// stays one vertex) and whose face-vertex list holds the file's indices.
// Every fault (missing, empty, truncated or malformed file, faces with fewer
// than 3 vertices, indices out of range, non-finite numbers, a file without
// faces) raises MeshError with a message that starts with the file's path.
// Only regular files are read (a FIFO or device is refused, not waited on).
//
//   OBJ: "v", "vt" and "f" lines; other keywords are skipped. "vt" become the
//        default UV set, one UV id per face corner as the file gives it;
//        "v x y z r g b" colours become the colour set "colorSet1". Faces may
//        have any number of corners.
//   PLY: ASCII, binary little and big endian. Vertex properties x, y, z;
//        red, green, blue (alpha) as uchar 0-255 or float 0-1 become
//        "colorSet1"; per-vertex texture coordinates (s/t, u/v, texture_u/
//        texture_v, texture_s/texture_t) or a per-face list "texcoord"
//        (two floats per corner) become the default UV set. Other elements
//        and properties are read past and ignored.
//   OFF: OFF, COFF, NOFF, CNOFF, STOFF and combinations ([ST][C][N]OFF);
//        colours (3 or 4 components, integers 0-255 or floats 0-1) become
//        "colorSet1", texture coordinates the default UV set.

#include <string>

#include "meshGeometry.h"

namespace zt::host {

constexpr const char* kImportedColorSetName = "colorSet1";

// Chooses the reader by the file extension (case-insensitive); MeshError for
// other extensions. `type` ("OBJ", "PLY", "OFF", case-insensitive; empty for
// by extension) overrides the extension.
MeshGeometry readMeshFile(const std::string& path, const std::string& type = "");

MeshGeometry readObjFile(const std::string& path);
MeshGeometry readPlyFile(const std::string& path);
MeshGeometry readOffFile(const std::string& path);

}  // namespace zt::host
