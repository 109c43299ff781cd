#include "core/colorLayers.h"

#include <maya/MColorArray.h>
#include <maya/MStringArray.h>

#include <algorithm>
#include <cstddef>

#include "core/pointSetNode.h"

namespace zt {
namespace {

// min(elements of the multi, colour sets of the mesh), kept in 16 bits as the
// kernels take it.
MStatus countLayers(MArrayDataHandle& elements, const MStringArray& setNames,
                    const VertexColorLayerOptions& options, unsigned short& count) {
    MStatus status;
    const unsigned int elementCount = elements.elementCount(&status);
    if (!status) {
        reportError(options.elementCountError, status);
        return status;
    }
    const unsigned int layers = std::min(elementCount, setNames.length());
    count = static_cast<unsigned short>(std::min(layers, 0xFFFFu));
    return MS::kSuccess;
}

}  // namespace

MStatus countVertexColorLayers(MDataBlock& block, const MObject& vertexColor, MFnMesh& mesh,
                               unsigned short& count, const VertexColorLayerOptions& options) {
    MStringArray setNames;
    CHECK_MSTATUS(mesh.getColorSetNames(setNames));
    MStatus status;
    MArrayDataHandle elements = block.inputArrayValue(vertexColor, &status);
    if (!status) {
        reportError(options.arrayHandleError, status);
        return status;
    }
    return countLayers(elements, setNames, options, count);
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
    MStringArray setNames;
    CHECK_MSTATUS(mesh.getColorSetNames(setNames));
    MStatus status;
    MArrayDataHandle elements = block.inputArrayValue(vertexColor, &status);
    if (!status) {
        reportError(options.arrayHandleError, status);
        return status;
    }
    VertexColorLayers result;
    status = countLayers(elements, setNames, options, result.count);
    if (!status) return status;
    result.vertexCount = static_cast<unsigned int>(mesh.numVertices());
    const std::size_t perLayer = 4u * static_cast<std::size_t>(result.vertexCount);
    result.colors.resize(perLayer * result.count);

    std::vector<float> rgba;
    for (unsigned short layer = 0; layer < result.count; ++layer) {
        MDataHandle element = elements.inputValue(&status);
        if (!status) return status;
        status = readElement(layer, element);
        if (!status) return status;
        const MString setName = setNames[layer];
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

}  // namespace zt
