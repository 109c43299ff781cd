#include "hostInit.h"
#include "viewport/viewportCommands.h"

namespace zt::host {

void registerViewportCommands() {
    registerPlayblastCommands();
    registerSurfaceCommands();
}

}  // namespace zt::host
