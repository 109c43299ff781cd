#include "core/colorLayers.h"

#include <maya/MColorArray.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>

#include "core/channels.h"
#include "core/meshInput.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"

namespace zt {
namespace {

// The layers of a node: its `vertexColor` elements paired with the mesh's
// colour sets; `count` = min(elements, colour sets), kept in 16 bits as the
// kernels take it.
struct LayerSources {
    MArrayDataHandle elements;
    MStringArray setNames;
    unsigned short count = 0;
};

std::optional<LayerSources> findLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                                       const VertexColorLayerOptions& options, MStatus& status) {
    MArrayDataHandle elements = block.inputArrayValue(vertexColor, &status);
    if (!status) {
        reportError(options.arrayHandleError, status);
        return std::nullopt;
    }
    LayerSources sources{elements, MStringArray(), 0};
    CHECK_MSTATUS(mesh.getColorSetNames(sources.setNames));
    const unsigned int elementCount = sources.elements.elementCount(&status);
    if (!status) {
        reportError(options.elementCountError, status);
        return std::nullopt;
    }
    const unsigned int layers = std::min(elementCount, sources.setNames.length());
    sources.count = static_cast<unsigned short>(std::min(layers, 0xFFFFu));
    return sources;
}

}  // namespace

MStatus countVertexColorLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                               unsigned short& count, const VertexColorLayerOptions& options) {
    MStatus status;
    const std::optional<LayerSources> sources =
        findLayers(block, vertexColor, mesh, options, status);
    if (sources) count = sources->count;
    return status;
}

MStatus readVertexColors(MFnMesh& mesh, const MString* set, const MColor& unsetColor,
                         std::vector<float>& rgba) {
    MColorArray colors;
    const MStatus status = mesh.getVertexColors(colors, set, &unsetColor);
    if (!status) return status;
    const unsigned int vertexCount = static_cast<unsigned int>(mesh.numVertices());
    rgba.assign(4u * static_cast<std::size_t>(vertexCount), 0.0f);
    // A colour array shorter than the vertex list leaves the rest unset.
    for (unsigned int v = 0; v < vertexCount; ++v) {
        const MColor c = v < colors.length() ? colors[v] : unsetColor;
        rgba[4u * v] = c.r;
        rgba[4u * v + 1] = c.g;
        rgba[4u * v + 2] = c.b;
        rgba[4u * v + 3] = c.a;
    }
    return MS::kSuccess;
}

MStatus readVertexColorLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                              const LayerElementReader& readElement, VertexColorLayers& layers,
                              const VertexColorLayerOptions& options) {
    MStatus status;
    std::optional<LayerSources> sources = findLayers(block, vertexColor, mesh, options, status);
    if (!sources) return status;
    MArrayDataHandle& elements = sources->elements;
    VertexColorLayers result;
    result.count = sources->count;
    result.vertexCount = static_cast<unsigned int>(mesh.numVertices());
    const std::size_t perLayer = 4u * static_cast<std::size_t>(result.vertexCount);
    result.colors.resize(perLayer * result.count);

    std::vector<float> rgba;
    for (unsigned short layer = 0; layer < result.count; ++layer) {
        MDataHandle element = elements.inputValue(&status);
        if (!status) return status;
        status = readElement(layer, element);
        if (!status) return status;
        const MString setName = sources->setNames[layer];
        status = readVertexColors(mesh, &setName, options.unsetColor, rgba);
        if (!status) {
            reportError(options.colorSetError, status);
            return status;
        }
        std::copy(rgba.begin(), rgba.end(),
                  result.colors.begin() + static_cast<std::ptrdiff_t>(perLayer * layer));
        elements.next();
    }
    layers = std::move(result);
    return MS::kSuccess;
}

MStatus readLayerGeometry(MFnMesh& mesh, MFnArrayAttrsData& points, unsigned int count,
                          const MPlug& plug, const char* missingMessage, LayerGeometry& geometry) {
    if (!hasChannel(points, channels::kTriangleId, MFnArrayAttrsData::kIntArray) ||
        !hasChannel(points, channels::kUv, MFnArrayAttrsData::kVectorArray)) {
        MGlobal::displayError(plug.name() + missingMessage);
        return MS::kFailure;
    }
    const MIntArray triangleIds = points.getIntData(channels::kTriangleId);
    const MVectorArray uvs = points.getVectorData(channels::kUv);
    if (triangleIds.length() != count || uvs.length() != count) {
        MGlobal::displayError(plug.name() +
                              ": the triID and uv channels must have one element per "
                              "point (" +
                              std::to_string(count).c_str() + ")");
        return MS::kFailure;
    }
    LayerGeometry result;
    const MStatus status = readMeshTriangles(mesh, result.triangles);
    if (!status) return status;
    const unsigned int triangleCount = static_cast<unsigned int>(result.triangles.size() / 3);
    result.pointTriangles.resize(count);
    result.pointUvs.resize(2u * static_cast<std::size_t>(count));
    for (unsigned int i = 0; i < count; ++i) {
        const int t = triangleIds[i];
        if (t < 0 || static_cast<unsigned int>(t) >= triangleCount) {
            MGlobal::displayError(plug.name() + ": point " + std::to_string(i).c_str() +
                                  " lies on triangle " + std::to_string(t).c_str() +
                                  ", which the mesh does not have (it has " +
                                  std::to_string(triangleCount).c_str() + " triangles)");
            return MS::kFailure;
        }
        if (!std::isfinite(uvs[i].x) || !std::isfinite(uvs[i].y)) {
            MGlobal::displayError(plug.name() + ": point " + std::to_string(i).c_str() +
                                  " has a uv that is not a finite number");
            return MS::kFailure;
        }
        result.pointTriangles[i] = static_cast<unsigned int>(t);
        result.pointUvs[2u * i] = static_cast<float>(uvs[i].x);
        result.pointUvs[2u * i + 1] = static_cast<float>(uvs[i].y);
    }
    geometry = std::move(result);
    return MS::kSuccess;
}

PaintedLayers paintedLayers(const VertexColorLayers& layers, const LayerGeometry& geometry) {
    PaintedLayers view;
    view.count = layers.count;
    view.vertexCount = layers.vertexCount;
    view.colors = layers.colors.data();
    view.triangles = geometry.triangles.data();
    view.triangleCount = geometry.triangles.size() / 3;
    view.pointTriangles = geometry.pointTriangles.data();
    view.pointUvs = geometry.pointUvs.data();
    return view;
}

bool readPointColors(MDataBlock& block, const MObject& attribute, unsigned int count,
                     std::vector<float>& rgb) {
    rgb.clear();
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    if (!status) return false;
    MFnVectorArrayData colorData(handle.data(), &status);
    if (!status) return false;
    const MVectorArray colors = colorData.array(&status);
    if (!status || colors.length() != count) return false;
    rgb = toFloat3(colors);
    return true;
}

}  // namespace zt
