#include "hostInit.h"

namespace zt::host {

void registerMeshNodeTypes() {}

}  // namespace zt::host
