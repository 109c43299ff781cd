#include "hostInit.h"

namespace zt::host {

void registerGraphNodeTypes() {}

}  // namespace zt::host
