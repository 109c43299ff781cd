#include "graph/registry.h"
#include "hostInit.h"
#include "mesh/meshNode.h"

namespace zt::host {

void registerMeshNodeTypes() {
    registerBuiltinNodeType(MeshNode::kTypeName, MeshNode::id, &MeshNode::creator,
                            &MeshNode::initialize, MPxNode::kSurfaceShape, MFn::kMesh);
}

}  // namespace zt::host
