#include "hostInit.h"

namespace zt::host {

void registerViewportNodeTypes() {}

}  // namespace zt::host
