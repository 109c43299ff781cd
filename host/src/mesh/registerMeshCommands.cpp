#include "hostInit.h"

namespace zt::host {

void registerMeshCommands() {}

}  // namespace zt::host
