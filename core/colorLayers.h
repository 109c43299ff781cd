#pragma once
// Painted vertex-colour layers, shared by the nodes that read them (rotation,
// scale, object id, selection).
//
// A node has a multi compound attribute `vertexColor`; layer L pairs element L
// of it (in the order the array handle visits its elements) with colour set L
// of the mesh (in the order MFnMesh::getColorSetNames lists them). The number
// of layers is the smaller of the two counts. Per layer the node reads its own
// children of the element (type, weight, ids, ...) through a callback, and
// this helper gathers the RGBA colour of every mesh vertex in that layer's
// colour set into one flat, layer-major array: the colour of vertex v in
// layer L starts at float 4 * (L * V + v).

#include <maya/MArrayDataHandle.h>
#include <maya/MColor.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <functional>
#include <vector>

#include "kernels/paintedLayers.h"

namespace zt {

struct VertexColorLayers {
    unsigned short count = 0;      // layers read
    unsigned int vertexCount = 0;  // V, vertices of the mesh
    std::vector<float> colors;     // 4 * V * count floats, layer-major RGBA
};

// Called once per layer, in layer order, with the layer's element of the
// `vertexColor` multi; reads the node's own children of it. A failing status
// ends the read and is returned.
using LayerElementReader = std::function<MStatus(unsigned short layer, MDataHandle& element)>;

// How to read the layers: what unset vertices read as, and the diagnostic
// lines of the failing host calls (they differ between nodes).
struct VertexColorLayerOptions {
    MColor unsetColor{0.0f, 0.0f, 0.0f, 0.0f};
    const char* arrayHandleError = "ERROR block.inputArrayValue(influences)";
    const char* elementCountError = "ERROR influencesCount = influenceDataHandle.elementCount";
    const char* colorSetError = "ERROR getting colorSet";
};

// Counts the layers only: min(elements of `vertexColor`, colour sets of the
// mesh). Writes the diagnostic and returns the status when a host call fails.
MStatus countVertexColorLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                               unsigned short& count, const VertexColorLayerOptions& options = {});

// Reads every layer: the element callback per layer and the colours of its
// colour set. `layers` is filled only on success.
MStatus readVertexColorLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                              const LayerElementReader& readElement, VertexColorLayers& layers,
                              const VertexColorLayerOptions& options = {});

// The RGBA colour of every vertex in the mesh's current colour set (or `set`
// when given), `unsetColor` where a vertex has none; 4 floats per vertex.
MStatus readVertexColors(MFnMesh& mesh, const MString* set, const MColor& unsetColor,
                         std::vector<float>& rgba);

// Where each point lies for the layer kernels: the mesh's triangulation
// (getTriangles order) and every point's triangle ("triID") and (u, v) ("uv").
struct LayerGeometry {
    std::vector<unsigned int> triangles;       // 3 vertex ids per triangle
    std::vector<unsigned int> pointTriangles;  // n
    std::vector<float> pointUvs;               // 2n
};

// Reads the geometry of `count` points. A missing or mistyped "triID" or
// "uv" displays the plug name followed by `missingMessage` and fails; so
// does a channel of another length, a triangle id outside the mesh (named
// with its point) and a non-finite (u, v). Never reads outside an array.
MStatus readLayerGeometry(MFnMesh& mesh, MFnArrayAttrsData& points, unsigned int count,
                          const MPlug& plug, const char* missingMessage, LayerGeometry& geometry);

// The kernels' view of layers read by readVertexColorLayers and geometry
// read by readLayerGeometry (both must outlive the returned value).
PaintedLayers paintedLayers(const VertexColorLayers& layers, const LayerGeometry& geometry);

// A per-point colour input (a vector array such as ztColorBuffer's output)
// as 3 floats per point: false, with `rgb` empty, when nothing is connected
// or its length is not `count` (the colour is then left out, silently).
bool readPointColors(MDataBlock& block, const MObject& attribute, unsigned int count,
                     std::vector<float>& rgb);

// Layer type as the kernels take it: 0 (replace/multiply) or 1 (add).
inline short clampLayerType(short type) {
    return type < 0 ? short{0} : (type > 1 ? short{1} : type);
}

}  // namespace zt
