#pragma once
// Polygon mesh geometry as the host stores it: float points, polygon vertex
// counts and the face-vertex list, named UV sets with per-face-corner UV ids,
// and named per-vertex colour sets. Everything the mesh node, the readers,
// the primitives and the MFnMesh function set share lives here; this file
// has no dependency on the API classes.
//
// Triangulation rule (what MFnMesh::getTriangles reports): polygon p with n
// corners yields n - 2 triangles, polygons in order. Inside a polygon the
// triangles come from ear clipping in the polygon's own plane (projected
// along its Newell normal): the corners are scanned from corner 1 onwards
// and the first corner that forms a convex ear with its current neighbours
// is cut off as the triangle (previous, corner, next), keeping the polygon's
// winding. For a convex polygon this is exactly the fan from corner 0:
// (0,1,2), (0,2,3), ... A polygon where no ear is found (degenerate, or
// self-intersecting) falls back to the fan of its remaining corners.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zt::host {

// Raised for invalid geometry: bad topology, out-of-range ids, non-finite
// coordinates, unknown set names. Readers add the file name to the text.
class MeshError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One UV set: a pool of (u, v) pairs and, for every face corner of the mesh
// (in face-vertex list order), the id of its pair or -1 when the corner has
// no UV in this set.
struct UVSet {
    std::string name;
    std::vector<float> u;
    std::vector<float> v;
    std::vector<int> cornerUVs;
};

// One colour set: an RGBA colour per vertex and whether the vertex has one.
struct ColorSet {
    std::string name;
    std::vector<std::array<float, 4>> colors;
    std::vector<std::uint8_t> isSet;
};

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

struct BoundingBox {
    Vec3 min;
    Vec3 max;
    bool empty = true;  // true for a mesh without vertices; min/max are 0 then
};

class MeshGeometry {
public:
    static constexpr const char* kDefaultUVSetName = "map1";

    // An empty mesh (no vertices, no faces) with the default UV set.
    MeshGeometry();
    // Throws MeshError when the topology is invalid (see validateTopology).
    // The result has the empty default UV set "map1".
    MeshGeometry(std::vector<float> points, std::vector<int> faceCounts,
                 std::vector<int> faceVertices);

    int numVertices() const { return static_cast<int>(points_.size() / 3); }
    int numFaces() const { return static_cast<int>(faceCounts_.size()); }
    int numFaceVertices() const { return static_cast<int>(faceVertices_.size()); }

    // Points, 3 floats per vertex.
    const std::vector<float>& points() const { return points_; }
    Vec3 point(int vertex) const;
    void setPoint(int vertex, const Vec3& p);
    // Replaces all points; the count must stay the same (MeshError otherwise).
    void setPoints(std::vector<float> points);

    const std::vector<int>& faceCounts() const { return faceCounts_; }
    const std::vector<int>& faceVertices() const { return faceVertices_; }
    // Position of the face's first corner in the face-vertex list.
    int faceOffset(int face) const { return faceOffsets_[static_cast<std::size_t>(face)]; }
    int faceVertexCount(int face) const { return faceCounts_[static_cast<std::size_t>(face)]; }
    int faceVertex(int face, int corner) const {
        return faceVertices_[static_cast<std::size_t>(faceOffset(face) + corner)];
    }
    void checkFace(int face) const;                // MeshError when out of range
    void checkCorner(int face, int corner) const;  // MeshError when out of range

    // UV sets. The mesh always has at least one (the default, possibly
    // without any UVs); names are unique.
    const std::vector<UVSet>& uvSets() const { return uvSets_; }
    const UVSet* findUVSet(const std::string& name) const;
    UVSet* findUVSet(const std::string& name);
    // The named set, or the current one for an empty name; MeshError when
    // no set has that name.
    const UVSet& uvSet(const std::string& name = "") const;
    UVSet& uvSet(const std::string& name = "");
    const std::string& currentUVSetName() const { return currentUVSet_; }
    void setCurrentUVSet(const std::string& name);  // MeshError for unknown names
    // Adds an empty set (every corner without UV); MeshError when it exists.
    UVSet& createUVSet(const std::string& name);
    // Replaces the contents of a set after checking them: pairs of equal
    // length, one id per face corner, ids in range or -1.
    void setUVs(const std::string& name, std::vector<float> u, std::vector<float> v,
                std::vector<int> cornerUVs);

    // Colour sets. A mesh starts without any.
    const std::vector<ColorSet>& colorSets() const { return colorSets_; }
    const ColorSet* findColorSet(const std::string& name) const;
    ColorSet* findColorSet(const std::string& name);
    const std::string& currentColorSetName() const { return currentColorSet_; }
    void setCurrentColorSet(const std::string& name);  // MeshError for unknown names
    // Adds a set with no vertex coloured; MeshError when it exists. The
    // first set created becomes the current one.
    ColorSet& createColorSet(const std::string& name);
    // Removes a set (MeshError for unknown names); the current set moves to
    // the first remaining one, or none.
    void deleteColorSet(const std::string& name);
    // Renames a set, or adds a copy of it under a new name; MeshError for an
    // unknown source or a target name in use. A renamed current set stays current.
    void renameColorSet(const std::string& name, const std::string& newName);
    void copyColorSet(const std::string& name, const std::string& newName);
    void setVertexColor(const std::string& set, int vertex, const std::array<float, 4>& rgba);

    // Faults in the topology, as one message; empty when valid: counts of at
    // least 3, counts adding up to the face-vertex list, ids in range.
    static std::string topologyProblem(int numVertices, const std::vector<int>& faceCounts,
                                       const std::vector<int>& faceVertices);

private:
    void rebuildOffsets();

    std::vector<float> points_;
    std::vector<int> faceCounts_;
    std::vector<int> faceVertices_;
    std::vector<int> faceOffsets_;
    std::vector<UVSet> uvSets_;
    std::string currentUVSet_;
    std::vector<ColorSet> colorSets_;
    std::string currentColorSet_;
};

// Throws MeshError naming the first fault: invalid topology, a non-finite
// coordinate, or a UV set whose ids or values are inconsistent.
void validateMesh(const MeshGeometry& mesh);

// Triangles of one polygon as face-relative corner indices, in the order of
// the triangulation rule above; polygon with n corners gives n - 2 entries.
std::vector<std::array<int, 3>> polygonTriangleCorners(const MeshGeometry& mesh, int face);

// The whole mesh triangulated: one count per polygon and three vertex ids
// per triangle, as MFnMesh::getTriangles lists them.
struct Triangulation {
    std::vector<int> counts;
    std::vector<int> vertices;
};
Triangulation triangulate(const MeshGeometry& mesh);

// Unit normal of a polygon by Newell's method (robust for non-planar
// polygons); (0,0,0) for a polygon without area.
Vec3 polygonNormal(const MeshGeometry& mesh, int face);

// Undirected edges, each as (smaller id, larger id), in the order they first
// appear when walking the faces' corners (corner k to corner k+1).
std::vector<std::pair<int, int>> meshEdges(const MeshGeometry& mesh);

BoundingBox boundingBox(const MeshGeometry& mesh);

// Sum of the triangle areas of the triangulation.
double surfaceArea(const MeshGeometry& mesh);

}  // namespace zt::host
