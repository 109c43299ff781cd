#include "hostInit.h"

namespace zt::host {

void registerCoreCommands() {}

}  // namespace zt::host
