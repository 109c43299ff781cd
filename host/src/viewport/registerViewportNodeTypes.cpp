#include <maya/MPxNode.h>

#include "graph/registry.h"
#include "hostInit.h"
#include "viewport/cameraNode.h"
#include "viewport/instancerNode.h"
#include "viewport/particleNode.h"

namespace zt::host {

MStatus initializeLocatorAttributes();  // MPxLocatorNode.cpp
MStatus registerLocatorNodeType();      // locatorNode.cpp

void registerViewportNodeTypes() {
    setKindInitializer(MPxNode::kLocatorNode, initializeLocatorAttributes);
    registerCameraNodeType();
    registerInstancerNodeType();
    registerParticleNodeType();
    registerLocatorNodeType();
}

}  // namespace zt::host
