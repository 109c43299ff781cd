#pragma once
// Gap filling: turns a Poisson-disc point set on a triangle mesh into a
// maximal one, where no part of the surface farther than the radius from
// every point remains (up to a tiny area tolerance).
//
// Every triangle is cut into pieces of a few r^2 (midpoint subdivision in
// the triangle's (u, v) domain), triangles taken along a Z-order curve so
// that neighbouring pieces come together. A piece is tested exactly against the balls
// of radius r around the points: in the triangle's plane each ball is a
// disk, and a piece holds an uncovered spot exactly when one of the vertices
// of the arrangement (piece corners, circle/edge crossings, circle/circle
// crossings inside the piece) lies outside every disk it is not on. Before
// that walk a piece is cut into patches, and the patches that one disk or
// a pair of disks holds are known to be covered. Rounds follow: every piece
// walks those spots, and from each uncovered one tries darts at a few
// (randomly scaled) distances and directions into the gap, and where none
// finds room, one at the patch's point farthest from every point (a corner
// of the power diagram of its disks); a dart farther than r from every
// point (and from the darts placed before it in its block of pieces) is
// accepted and joins the piece's disks, and the walk goes on.
// Darts of different blocks too close to each other are settled in piece
// order (the earlier piece wins, the later one takes another turn, tested
// only near its dropped darts). Covered pieces leave, and a piece whose gap
// had no room for a dart is split in four. A piece that shrinks below the
// area tolerance, or below the square of the single-precision spacing of its
// triangle's coordinates (where a dart could find no position to take), is
// given up.
//
// The fill runs on the host, for the CUDA backend as well, so both backends
// append the same points for the same seed. Randoms are counter-based
// (a hash of the seed, the round and the piece), and every step's result is
// independent of the order threads run in, so the points do not depend on
// the number of threads.

#include <cstddef>
#include <vector>

#include "kernels/scatter.h"

namespace zt {

// What a fill did.
struct FillReport {
    std::size_t added = 0;          // points appended
    unsigned int rounds = 0;        // dart rounds run
    std::size_t darts = 0;          // free darts found (before conflicts in a round)
    std::size_t initialPieces = 0;  // pieces the triangles were cut into
    std::size_t givenUp = 0;        // uncovered pieces dropped at the area tolerance
};

// Area below which an uncovered piece is given up, as a fraction of r^2.
constexpr double kFillToleranceArea = 1.0e-6;

// Appends points to `positions` (3 floats each), `uvs` (2 each, (u, v) in the
// point's triangle, position = A + u (B - A) + v (C - A) in single
// precision) and `triangleIds` until the surface is covered by the balls of
// radius `radius` around all points. New points are farther than `radius`
// from every point (old and new); the points given are kept as they are.
// Triangles of zero area are skipped.
FillReport fillSurfaceGaps(const ScatterMesh& mesh, float radius, unsigned int seed,
                           std::vector<float>& positions, std::vector<float>& uvs,
                           std::vector<unsigned int>& triangleIds);

}  // namespace zt
