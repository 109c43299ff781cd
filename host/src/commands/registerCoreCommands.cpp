#include "commands/coreCommands.h"
#include "hostInit.h"

namespace zt::host {

void registerCoreCommands() {
    commands::registerNodeCommands();
    commands::registerPluginCommands();
    commands::registerAttributeCommands();
    commands::registerSceneCommands();
    commands::registerExportCommands();
    commands::registerAnimationCommands();
    commands::registerQueryCommands();
    commands::registerDagCommands();
}

}  // namespace zt::host
