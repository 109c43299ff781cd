#include "viewport/shadedMesh.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MGL.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <cmath>
#include <string>

#include "graph/scene.h"
#include "mesh/meshData.h"
#include "viewport/instancerNode.h"
#include "viewport/viewport.h"

namespace zt::host {

namespace {

using Normal = std::array<double, 3>;

Normal unitOr(const Vec3& v, const Normal& fallback) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0) || !std::isfinite(length)) return fallback;
    return {v.x / length, v.y / length, v.z / length};
}

// Area-weighted polygon normals: Newell's sum, whose length is twice the
// polygon's area.
std::vector<Vec3> weightedFaceNormals(const MeshGeometry& mesh) {
    std::vector<Vec3> normals(static_cast<std::size_t>(mesh.numFaces()));
    for (int f = 0; f < mesh.numFaces(); ++f) {
        Vec3 n;
        const int count = mesh.faceVertexCount(f);
        for (int c = 0; c < count; ++c) {
            const Vec3 a = mesh.point(mesh.faceVertex(f, c));
            const Vec3 b = mesh.point(mesh.faceVertex(f, (c + 1) % count));
            n.x += (a.y - b.y) * (a.z + b.z);
            n.y += (a.z - b.z) * (a.x + b.x);
            n.z += (a.x - b.x) * (a.y + b.y);
        }
        normals[static_cast<std::size_t>(f)] = n;
    }
    return normals;
}

// For every vertex, the polygons that use it (one entry per use).
struct VertexFaces {
    std::vector<int> offsets;  // numVertices + 1
    std::vector<int> faces;
};

VertexFaces vertexFaces(const MeshGeometry& mesh) {
    VertexFaces out;
    out.offsets.assign(static_cast<std::size_t>(mesh.numVertices()) + 1, 0);
    for (int v : mesh.faceVertices()) ++out.offsets[static_cast<std::size_t>(v) + 1];
    for (std::size_t i = 1; i < out.offsets.size(); ++i) out.offsets[i] += out.offsets[i - 1];
    out.faces.resize(mesh.faceVertices().size());
    std::vector<int> fill(out.offsets.begin(), out.offsets.end() - 1);
    for (int f = 0; f < mesh.numFaces(); ++f)
        for (int c = 0; c < mesh.faceVertexCount(f); ++c)
            out.faces[static_cast<std::size_t>(
                fill[static_cast<std::size_t>(mesh.faceVertex(f, c))]++)] = f;
    return out;
}

void pushNormal(std::vector<float>& out, const Normal& n) {
    out.push_back(static_cast<float>(n[0]));
    out.push_back(static_cast<float>(n[1]));
    out.push_back(static_cast<float>(n[2]));
}

}  // namespace

ShadedTriangles shadeMesh(const MeshGeometry& mesh, ShadingMode mode, const ColorSet* colours) {
    static const Normal kUp = {0.0, 0.0, 1.0};
    ShadedTriangles out;
    if (mode == ShadingMode::kWireframe) {
        for (const std::pair<int, int>& edge : meshEdges(mesh)) {
            for (int v : {edge.first, edge.second}) {
                const Vec3 p = mesh.point(v);
                out.positions.push_back(static_cast<float>(p.x));
                out.positions.push_back(static_cast<float>(p.y));
                out.positions.push_back(static_cast<float>(p.z));
                pushNormal(out.normals, kUp);
            }
        }
        return out;
    }
    const std::vector<Vec3> faceNormals = weightedFaceNormals(mesh);
    std::vector<Normal> unitFace(faceNormals.size());
    for (std::size_t f = 0; f < faceNormals.size(); ++f) unitFace[f] = unitOr(faceNormals[f], kUp);
    const bool smooth = mode == ShadingMode::kSmooth;
    VertexFaces around;
    if (smooth) around = vertexFaces(mesh);
    const double minCos = std::cos(kSmoothingAngleDegrees * M_PI / 180.0);
    const bool coloured =
        colours && colours->colors.size() == static_cast<std::size_t>(mesh.numVertices());

    for (int f = 0; f < mesh.numFaces(); ++f) {
        const Normal& own = unitFace[static_cast<std::size_t>(f)];
        for (const std::array<int, 3>& tri : polygonTriangleCorners(mesh, f)) {
            for (int corner : tri) {
                const int v = mesh.faceVertex(f, corner);
                const Vec3 p = mesh.point(v);
                out.positions.push_back(static_cast<float>(p.x));
                out.positions.push_back(static_cast<float>(p.y));
                out.positions.push_back(static_cast<float>(p.z));
                if (smooth) {
                    // Polygons around the vertex that meet this one at a
                    // soft edge; each polygon counts once however often it
                    // uses the vertex.
                    Vec3 sum;
                    const int begin = around.offsets[static_cast<std::size_t>(v)];
                    const int end = around.offsets[static_cast<std::size_t>(v) + 1];
                    for (int i = begin; i < end; ++i) {
                        const int g = around.faces[static_cast<std::size_t>(i)];
                        bool seen = false;
                        for (int j = begin; j < i && !seen; ++j)
                            seen = around.faces[static_cast<std::size_t>(j)] == g;
                        const Normal& other = unitFace[static_cast<std::size_t>(g)];
                        if (seen ||
                            own[0] * other[0] + own[1] * other[1] + own[2] * other[2] < minCos)
                            continue;
                        const Vec3& w = faceNormals[static_cast<std::size_t>(g)];
                        sum.x += w.x;
                        sum.y += w.y;
                        sum.z += w.z;
                    }
                    pushNormal(out.normals, unitOr(sum, own));
                } else {
                    pushNormal(out.normals, own);
                }
                if (coloured) {
                    const std::size_t i = static_cast<std::size_t>(v);
                    if (i < colours->isSet.size() && colours->isSet[i]) {
                        for (float c : colours->colors[i]) out.colours.push_back(c);
                    } else {
                        for (float c : {kSurfaceGrey, kSurfaceGrey, kSurfaceGrey, 1.0f})
                            out.colours.push_back(c);
                    }
                }
            }
        }
    }
    return out;
}

bool appendTransformed(const ShadedTriangles& source, const MMatrix& matrix,
                       ShadedTriangles& target) {
    // Normals go through the inverse transpose of the 3x3 part; for row
    // vectors that is n' = n * (M^-1)^T.
    const double(*m)[4] = matrix.matrix;
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return false;
    // Cofactor matrix C of the 3x3 part: (M^-1)^T = C / det, and the
    // normal is renormalised, so the sign of det alone matters.
    double c[3][3];
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
            c[r][k] = (m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1]) * (det < 0 ? -1.0 : 1.0);
        }
    const std::size_t corners = source.positions.size() / 3;
    // Mixing coloured and grey surfaces: the grey ones get explicit grey
    // corners.
    if (!target.positions.empty() && target.colours.empty() && !source.colours.empty()) {
        for (std::size_t i = 0; i < target.positions.size() / 3; ++i)
            for (float v : {kSurfaceGrey, kSurfaceGrey, kSurfaceGrey, 1.0f})
                target.colours.push_back(v);
    }
    // No reserve here: callers append many small pieces, and reserving the
    // exact size each time would defeat the vectors' geometric growth.
    for (std::size_t i = 0; i < corners; ++i) {
        const double x = source.positions[3 * i], y = source.positions[3 * i + 1],
                     z = source.positions[3 * i + 2];
        for (int k = 0; k < 3; ++k)
            target.positions.push_back(
                static_cast<float>(x * m[0][k] + y * m[1][k] + z * m[2][k] + m[3][k]));
        const double nx = source.normals[3 * i], ny = source.normals[3 * i + 1],
                     nz = source.normals[3 * i + 2];
        double n[3];
        for (int k = 0; k < 3; ++k) n[k] = nx * c[0][k] + ny * c[1][k] + nz * c[2][k];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; ++k)
            target.normals.push_back(static_cast<float>(length > 0.0 ? n[k] / length : 0.0));
        if (!source.colours.empty()) {
            for (int k = 0; k < 4; ++k) target.colours.push_back(source.colours[4 * i + k]);
        } else if (!target.colours.empty()) {
            for (float v : {kSurfaceGrey, kSurfaceGrey, kSurfaceGrey, 1.0f})
                target.colours.push_back(v);
        }
    }
    return true;
}

void drawShadedTriangles(const ShadedTriangles& triangles, ShadingMode mode) {
    if (triangles.empty()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, triangles.positions.data());
    if (mode == ShadingMode::kWireframe) {
        glDisable(GL_LIGHTING);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glColor3f(kWireColour[0], kWireColour[1], kWireColour[2]);
    } else {
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, triangles.normals.data());
        if (!triangles.colours.empty()) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_FLOAT, 0, triangles.colours.data());
        } else {
            glColor4f(kSurfaceGrey, kSurfaceGrey, kSurfaceGrey, 1.0f);
        }
    }
    glDrawArrays(mode == ShadingMode::kWireframe ? GL_LINES : GL_TRIANGLES, 0,
                 static_cast<GLsizei>(triangles.positions.size() / 3));
    glPopClientAttrib();
    glPopAttrib();
}

namespace {

bool boolPlug(const MObject& node, const char* name) {
    MStatus status;
    MPlug plug = MFnDependencyNode(node).findPlug(name, &status);
    return status && !plug.isNull() && plug.asBool();
}

// The head light: a white directional light along the camera's viewing
// axis, set while the model-view matrix is the identity (eye space), plus
// the global ambient term.
void setHeadLight() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const GLfloat direction[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat ambient[4] = {kAmbientLight, kAmbientLight, kAmbientLight, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glEnable(GL_LIGHT0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    const GLfloat noShine[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, noShine);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, noShine);
    glPopMatrix();
}

}  // namespace

std::vector<VisibleMesh> visibleMeshes() {
    std::vector<VisibleMesh> out;
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kMesh)) continue;
        MDagPath path;
        if (MDagPath::getAPathTo(node, path) != MS::kSuccess || !isVisiblePath(path)) continue;
        out.push_back({path, node});
    }
    return out;
}

void drawSurfaces(const Matrix4& worldToCamera, const Matrix4& projection, ShadingMode mode) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection.data());
    setHeadLight();
    glMatrixMode(GL_MODELVIEW);
    for (const VisibleMesh& entry : visibleMeshes()) {
        MObject keepAlive;
        std::string error;
        const MeshGeometry* mesh = meshGeometryOf(entry.shape, keepAlive, &error);
        if (!mesh) {
            MGlobal::displayWarning(MString(entry.path.partialPathName()) +
                                    ": not drawn: " + error.c_str());
            continue;
        }
        const ColorSet* colours = nullptr;
        if (boolPlug(entry.shape, "displayColors") && !mesh->currentColorSetName().empty())
            colours = mesh->findColorSet(mesh->currentColorSetName());
        const Matrix4 modelView = multiply(toMatrix4(entry.path.inclusiveMatrix()), worldToCamera);
        glLoadMatrixd(modelView.data());
        drawShadedTriangles(shadeMesh(*mesh, mode, colours), mode);
    }
    drawInstancers(worldToCamera, mode);
    glPopAttrib();
}

MBoundingBox surfacesBox() {
    MBoundingBox box;
    for (const VisibleMesh& entry : visibleMeshes()) {
        MObject keepAlive;
        const MeshGeometry* mesh = meshGeometryOf(entry.shape, keepAlive);
        if (!mesh) continue;
        const BoundingBox local = boundingBox(*mesh);
        if (local.empty) continue;
        MBoundingBox world(MPoint(local.min.x, local.min.y, local.min.z),
                           MPoint(local.max.x, local.max.y, local.max.z));
        world.transformUsing(entry.path.inclusiveMatrix());
        box.expand(world);
    }
    box.expand(instancersBox());
    return box;
}

}  // namespace zt::host
