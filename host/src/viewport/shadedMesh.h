#pragma once
// Shaded surfaces in the view: mesh shapes turned into triangle lists with
// normals (and vertex colours when asked for), lit by a head light, and
// drawn with OpenGL vertex arrays. The instancer draws its copies with the
// same triangle lists.
//
// Lighting: one directional light shining along the camera's viewing axis
// (a head light) plus a global ambient term, both white. A surface of
// material colour c facing the camera at angle t shows
//     c * (kAmbientLight + cos t),
// clamped to 1 per channel. Both sides of a polygon are lit alike.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>

#include <array>
#include <vector>

#include "cameraMath.h"
#include "mesh/meshGeometry.h"

namespace zt::host {

// Material colour of a surface without vertex colours (a mid grey).
constexpr float kSurfaceGrey = 0.6f;
// Global ambient light: what a surface seen edge-on still shows.
constexpr float kAmbientLight = 0.2f;
// Colour of mesh edges in wireframe mode.
constexpr std::array<float, 3> kWireColour = {0.0f, 0.016f, 0.376f};
// Adjacent polygons whose normals differ by less than this many degrees
// share smooth vertex normals; a sharper edge stays hard.
constexpr double kSmoothingAngleDegrees = 60.0;

// How the view draws surfaces.
enum class ShadingMode {
    kSmooth,    // vertex normals averaged over the polygons around a vertex
    kFlat,      // one normal per polygon
    kWireframe  // polygon edges only, unlit
};

// Triangles ready for glDrawArrays: three corners each, corner k of
// triangle t at index 3t + k. Colours are RGBA per corner, or empty when
// the surface has the material grey. In wireframe mode the corners are
// instead the two ends of each polygon edge (GL_LINES).
struct ShadedTriangles {
    std::vector<float> positions;  // 3 floats per corner
    std::vector<float> normals;    // 3 floats per corner, unit length
    std::vector<float> colours;    // 4 floats per corner, or empty

    std::size_t triangleCount() const { return positions.size() / 9; }
    bool empty() const { return positions.empty(); }
};

// The mesh triangulated (MFnMesh::getTriangles order) with normals for the
// mode; for kWireframe its edges, each once, with no colours. With
// `colours` the corners take the
// vertex colours of that set, and vertices it leaves unset the surface
// grey. Polygons without area get the normal (0, 0, 1).
ShadedTriangles shadeMesh(const MeshGeometry& mesh, ShadingMode mode,
                          const ColorSet* colours = nullptr);

// Appends `source` with positions transformed by `matrix` (row vectors,
// p' = p * M) and normals by its inverse transpose, renormalised. A
// singular matrix appends nothing and returns false.
bool appendTransformed(const ShadedTriangles& source, const MMatrix& matrix,
                       ShadedTriangles& target);

// Draws triangles in the current GL space. Sets up and restores its own GL
// state (lighting, colour material, polygon offset so that points and lines
// drawn on the surface stay in front of it).
void drawShadedTriangles(const ShadedTriangles& triangles, ShadingMode mode);

// A mesh shape the view draws: visible itself and through every transform
// above it, and not an intermediate object.
struct VisibleMesh {
    MDagPath path;
    MObject shape;
};
std::vector<VisibleMesh> visibleMeshes();

// Draws every visible mesh shape and instancer of the scene, meshes with the
// colours of their current colour set where the shape's displayColors is on.
// `worldToCamera` and `projection` are the view's matrices.
void drawSurfaces(const Matrix4& worldToCamera, const Matrix4& projection, ShadingMode mode);

// World-space box of everything drawSurfaces draws; empty when nothing.
MBoundingBox surfacesBox();

}  // namespace zt::host
