#include "hostInit.h"
#include "viewport/particleNode.h"
#include "viewport/viewportCommands.h"

namespace zt::host {

void registerViewportCommands() {
    registerPlayblastCommands();
    registerSurfaceCommands();
    registerParticleCommands();
}

}  // namespace zt::host
