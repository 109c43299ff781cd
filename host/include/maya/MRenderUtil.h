#pragma once
// Renderer utilities. sampleShadingNetwork evaluates the shading network
// behind a colour plug ("file1.outColor") at a list of surface samples. This
// host shades from the samples' UVs: file textures (PNG, JPEG), ramps and
// constant colours, placed by place2dTexture; points, normals, reference
// points, tangents and filter sizes are accepted and not used.

#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

class OPENMAYARENDER_EXPORT MRenderUtil {
public:
    // Fails, with an error displayed, when the plug does not exist or is not
    // the colour output of a shading node, when numSamples is negative, or
    // when uCoords or vCoords hold fewer than numSamples values. On success
    // resultColors and resultTransparencies hold one entry per sample
    // (transparencies are 0).
    static MStatus sampleShadingNetwork(MString shadingNodeName, int numSamples, bool useShadowMaps,
                                        bool reuseMaps, MFloatMatrix& cameraMatrix,
                                        MFloatPointArray* points, MFloatArray* uCoords,
                                        MFloatArray* vCoords, MFloatVectorArray* normals,
                                        MFloatPointArray* refPoints, MFloatVectorArray* tangentUs,
                                        MFloatVectorArray* tangentVs, MFloatArray* filterSizes,
                                        MFloatVectorArray& resultColors,
                                        MFloatVectorArray& resultTransparencies);
};
