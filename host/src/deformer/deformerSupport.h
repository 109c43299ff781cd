#pragma once
// Deformer support of the host: what MPxDeformerNode computes for every
// deformer (outputGeom from input through deform) and the `deformer`
// command that puts a deformer into a mesh's history.
//
//   polyPlane -n ground;
//   string $d[] = `deformer -type ztNoise groundShape`;   // { "ztNoise1" }
//   // groundShapeOrig (intermediate) -> ztNoise1 -> groundShape

#include <maya/MObject.h>

#include <string>
#include <vector>

namespace zt::host {

// Area hook called by startHost(): the deformer kind's compute and the
// `deformer` command.
void registerDeformerSupport();

void registerDeformerEvaluation();

// Creates a deformer of `typeName` (named `name`, or after its type when
// empty) and inserts it between the history of each mesh shape and the
// shape: the shape's former source (or, for a shape without history, a new
// intermediate copy "<shape>Orig" under the same transform) feeds
// input[k].inputGeometry and outputGeometry[k] feeds the shape's inMesh.
// Then the deformer builds its accessory nodes (accessoryNodeSetup), whose
// modifier runs here. Throws std::runtime_error with a message for the user
// and leaves the scene as it was when anything fails.
MObject insertDeformer(const std::string& typeName, const std::string& name,
                       const std::vector<MObject>& meshShapes);

}  // namespace zt::host
