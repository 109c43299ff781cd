#pragma once
// Loading and unloading plug-in modules.

#include <string>
#include <vector>

#include <maya/MStatus.h>

namespace zt::host {

// Loads a plug-in by path or by name. A name (no '/') is looked up in the
// folders of MAYA_PLUG_IN_PATH (colon-separated), then the build's plug-in
// folder, then the install folder, with the name as given and with ".so"
// and ".mll" appended. The module must export MApiVersion and
// initializePlugin. Loading a plug-in that is already loaded succeeds and
// does nothing. On failure, `error` says why. `loadedName` gets the
// plug-in's name (the file name without extension).
MStatus loadPlugin(const std::string& nameOrPath, std::string* loadedName = nullptr,
                   std::string* error = nullptr);

// Calls uninitializePlugin, removes what the plug-in registered (and the
// nodes of its types) and closes the module.
MStatus unloadPlugin(const std::string& name, std::string* error = nullptr);

bool isPluginLoaded(const std::string& name);
std::vector<std::string> loadedPlugins();  // in load order
// Full path of a loaded plug-in's module; empty when not loaded.
std::string pluginPath(const std::string& name);

}  // namespace zt::host
