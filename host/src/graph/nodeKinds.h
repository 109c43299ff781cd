#pragma once
// The attributes of the emitter and deformer base classes, added to every
// type of those kinds before its own.

#include <maya/MStatus.h>

namespace zt::host {

MStatus addEmitterAttributes();
MStatus addDeformerAttributes();

}  // namespace zt::host
