#include <maya/MGlobal.h>
#include <maya/MRenderUtil.h>

#include <string>

#include "graph/scene.h"
#include "render/shading.h"

MStatus MRenderUtil::sampleShadingNetwork(
    MString shadingNodeName, int numSamples, bool /*useShadowMaps*/, bool /*reuseMaps*/,
    MFloatMatrix& /*cameraMatrix*/, MFloatPointArray* /*points*/, MFloatArray* uCoords,
    MFloatArray* vCoords, MFloatVectorArray* /*normals*/, MFloatPointArray* /*refPoints*/,
    MFloatVectorArray* /*tangentUs*/, MFloatVectorArray* /*tangentVs*/,
    MFloatArray* /*filterSizes*/, MFloatVectorArray& resultColors,
    MFloatVectorArray& resultTransparencies) {
    const long truncation = zt::host::testing::takeSampleTruncation();
    const std::string name = shadingNodeName.asChar();
    if (numSamples < 0) {
        MGlobal::displayError("sampleShadingNetwork: negative sample count");
        return MS::kInvalidParameter;
    }
    const auto count = static_cast<unsigned int>(numSamples);
    if (count > 0 && (uCoords == nullptr || vCoords == nullptr || uCoords->length() < count ||
                      vCoords->length() < count)) {
        MGlobal::displayError(MString("sampleShadingNetwork: fewer UVs than the ") +
                              std::to_string(count).c_str() + " samples asked for");
        return MS::kInvalidParameter;
    }
    MPlug plug;
    if (!zt::host::plugFromString(name, plug)) {
        MGlobal::displayError(("sampleShadingNetwork: no plug " + name).c_str());
        return MS::kInvalidParameter;
    }
    std::string error;
    const zt::host::ShaderPtr shader = zt::host::buildShader(plug, error);
    if (!shader) {
        MGlobal::displayError(("sampleShadingNetwork: " + error).c_str());
        return MS::kFailure;
    }
    const unsigned int produced = truncation >= 0 && static_cast<unsigned long>(truncation) < count
                                      ? static_cast<unsigned int>(truncation)
                                      : count;
    resultColors.setLength(produced);
    resultTransparencies.setLength(produced);
    for (unsigned int i = 0; i < produced; ++i) {
        const zt::host::Rgb c = shader->shade((*uCoords)[i], (*vCoords)[i]);
        resultColors[i] = MFloatVector(c.r, c.g, c.b);
        resultTransparencies[i] = MFloatVector(0.0f, 0.0f, 0.0f);
    }
    return MS::kSuccess;
}
