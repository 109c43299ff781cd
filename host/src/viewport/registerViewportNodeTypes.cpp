#include <maya/MPxNode.h>

#include "graph/registry.h"
#include "hostInit.h"
#include "viewport/cameraNode.h"

namespace zt::host {

MStatus initializeLocatorAttributes();  // MPxLocatorNode.cpp

void registerViewportNodeTypes() {
    setKindInitializer(MPxNode::kLocatorNode, initializeLocatorAttributes);
    registerCameraNodeType();
}

}  // namespace zt::host
