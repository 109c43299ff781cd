// Plug-in commands: loadPlugin, unloadPlugin, pluginInfo.
//
//   loadPlugin ztNodes;                 // by name, through MAYA_PLUG_IN_PATH
//   loadPlugin "/opt/zt/lib/ztNodes.so";
//   if (`pluginInfo -q -loaded ztNodes`) unloadPlugin ztNodes;

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/plugins.h"

namespace zt::commands {

namespace {

void loadPluginCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> loaded;
    for (std::size_t i = 0; i < args.positionalCount(); ++i) {
        const std::string request = args.positionalString(i);
        std::string name, error;
        MStatus status = host::loadPlugin(request, &name, &error);
        if (!status)
            throw CommandError("loadPlugin: cannot load '" + request + "'" +
                               (error.empty() ? "" : ": " + error));
        loaded.push_back(name);
    }
    result = Value(loaded);
}

void unloadPluginCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> unloaded;
    for (std::size_t i = 0; i < args.positionalCount(); ++i) {
        const std::string name = args.positionalString(i);
        if (!host::isPluginLoaded(name))
            throw CommandError("unloadPlugin: plug-in '" + name + "' is not loaded");
        std::string error;
        MStatus status = host::unloadPlugin(name, &error);
        if (!status)
            throw CommandError("unloadPlugin: cannot unload '" + name + "'" +
                               (error.empty() ? "" : ": " + error));
        unloaded.push_back(name);
    }
    result = Value(unloaded);
}

void pluginInfoCommand(const ParsedArgs& args, CommandResult& result) {
    if (!args.isQuery()) throw CommandError("pluginInfo: only queries (-q) are supported");
    if (args.isFlagSet("listPlugins")) {
        result = Value(host::loadedPlugins());
        return;
    }
    if (args.positionalCount() != 1)
        throw CommandError("pluginInfo: name one plug-in (or query -listPlugins)");
    const std::string name = args.positionalString(0);
    if (args.isFlagSet("path")) {
        result = Value(host::pluginPath(name));
        return;
    }
    if (args.isFlagSet("loaded")) {
        result = Value(host::isPluginLoaded(name) ? 1 : 0);
        return;
    }
    throw CommandError("pluginInfo: query -loaded, -path or -listPlugins");
}

}  // namespace

void registerPluginCommands() {
    CommandSpec load;
    load.name = "loadPlugin";
    // -quiet: loading a plug-in that is already loaded is never an error here.
    load.flags = {{"qt", "quiet", {}}};
    load.minPositional = 1;
    load.handler = loadPluginCommand;
    registerCommand(std::move(load));

    CommandSpec unload;
    unload.name = "unloadPlugin";
    unload.minPositional = 1;
    unload.handler = unloadPluginCommand;
    registerCommand(std::move(unload));

    CommandSpec info;
    info.name = "pluginInfo";
    info.queryable = true;
    info.flags = {{"l", "loaded", {ArgType::kBool}},
                  {"p", "path", {ArgType::kString}},
                  {"ls", "listPlugins", {ArgType::kBool}}};
    info.maxPositional = 1;
    info.handler = pluginInfoCommand;
    registerCommand(std::move(info));
}

}  // namespace zt::commands
