#pragma once
// Registration of the host's core commands, one function per group;
// registerCoreCommands() (hostInit.h) calls them all.

#include <string>

namespace zt::commands {

void registerNodeCommands();       // createNode, delete, rename, ls, objExists, nodeType
void registerPluginCommands();     // loadPlugin, unloadPlugin, pluginInfo
void registerAttributeCommands();  // setAttr, getAttr, connectAttr, disconnectAttr
void registerSceneCommands();      // currentTime, currentUnit, workspace
void registerExportCommands();     // exportPoints
void registerAnimationCommands();  // setKeyframe, playbackOptions
void registerQueryCommands();      // listAttr, attributeQuery, listConnections
void registerDagCommands();        // spaceLocator, listRelatives, parent, xform, duplicate, select

// The workspace root with a trailing '/', as "workspace -q -rd" gives it:
// the process's working directory until a script sets another.
std::string workspaceRoot();

}  // namespace zt::commands
