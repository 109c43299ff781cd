#include "commands/coreCommands.h"
#include "hostInit.h"

namespace zt::host {

void registerCoreCommands() {
    commands::registerNodeCommands();
    commands::registerPluginCommands();
    commands::registerAttributeCommands();
    commands::registerSceneCommands();
    commands::registerExportCommands();
}

}  // namespace zt::host
