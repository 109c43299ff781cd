#include "hostInit.h"

namespace zt::host {

void registerViewportCommands() {}

}  // namespace zt::host
