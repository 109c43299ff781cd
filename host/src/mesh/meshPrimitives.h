#pragma once
// The built-in polygon primitives with the host's parameters and defaults.
// All are centred at the origin and carry UVs in the default set "map1".
// Invalid parameters (non-positive or non-finite sizes, subdivisions below
// the minimum) raise MeshError.

#include "meshGeometry.h"

namespace zt::host {

// A plane in XZ facing +Y: (subdivisionsX+1)·(subdivisionsY+1) vertices in
// rows from +Z to -Z, X increasing along a row; one quad per cell; UVs 0..1
// with u along +X and v along -Z (one UV per vertex).
MeshGeometry makePlane(double width = 1.0, double height = 1.0, int subdivisionsX = 10,
                       int subdivisionsY = 10);

// A box of width (X), height (Y) and depth (Z) with subdivisions along each
// axis; faces front (+Z), top, back, bottom, right (+X), left, each a grid of
// quads, vertices shared along the box's edges. UVs follow the usual cross
// layout (front at u 0.375..0.625, v 0..0.25, top, back and bottom above it,
// right and left beside the front). With one subdivision per axis the
// vertex, face and UV ids match the host's default cube: 8 vertices, 6
// faces, 14 UVs.
MeshGeometry makeCube(double width = 1.0, double height = 1.0, double depth = 1.0,
                      int subdivisionsX = 1, int subdivisionsY = 1, int subdivisionsZ = 1);

// A UV sphere of the given radius with subdivisionsAxis segments around Y
// and subdivisionsHeight segments from pole to pole: rings of vertices from
// the bottom up, then the bottom pole, then the top pole; quads ring by
// ring, then the bottom cap triangles, then the top cap triangles.
// UVs: (axis+1) per ring (the seam is split), one per cap triangle at each
// pole.
MeshGeometry makeSphere(double radius = 1.0, int subdivisionsAxis = 20,
                        int subdivisionsHeight = 20);

}  // namespace zt::host
