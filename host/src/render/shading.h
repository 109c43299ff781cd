#pragma once
// Shading networks of the host's texture nodes (file, ramp, colorConstant,
// with place2dTexture for placement), compiled from the graph into a tree of
// shaders that give a colour at a surface UV. MRenderUtil::sampleShadingNetwork
// compiles the network behind a plug once and shades every sample with it;
// the nodes' own outColor computes use the same shaders at their uvCoord.

#include <maya/MPlug.h>

#include <memory>
#include <string>

#include "render/textureImage.h"

namespace zt::host {

class Shader {
public:
    virtual ~Shader() = default;
    virtual Rgb shade(float u, float v) const = 0;
};
using ShaderPtr = std::unique_ptr<Shader>;

// Compiles the network behind `output`, the outColor plug of a file, ramp or
// colorConstant node. Returns null with the reason in `error` when the plug
// is anything else or the network loops back on itself. A texture that
// cannot be read is not a failure: the error naming the file is displayed
// and the file node shades with its defaultColor.
ShaderPtr buildShader(const MPlug& output, std::string& error);

// Whether the node type is one of the shading node types above.
bool isShadingNodeType(const std::string& typeName);

namespace testing {
// Makes the next sampleShadingNetwork call return only `count` colours
// (once), as a renderer that gives fewer results than asked would. For
// tests of nodes that must not read past the results.
void truncateNextSampleResults(unsigned int count);
// The pending truncation, consumed by the call: -1 when none.
long takeSampleTruncation();
}  // namespace testing

}  // namespace zt::host
