// Plug-in modules: loading with dlopen, the MFnPlugin function set, and
// removing what a plug-in registered when it is unloaded.

#define MNoVersionString  // the host itself has no MApiVersion of its own
#include <maya/MFnPlugin.h>

#include "graph/plugins.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

#include "commands/commandRegistry.h"
#include "graph/object.h"
#include "graph/registryImpl.h"

#ifndef ZT_DEFAULT_PLUGIN_DIR
#define ZT_DEFAULT_PLUGIN_DIR ""
#endif
#ifndef ZT_INSTALL_PLUGIN_DIR
#define ZT_INSTALL_PLUGIN_DIR ""
#endif

namespace zt::host {

namespace {

using PluginEntry = MStatus (*)(MObject);

class PluginImpl : public ObjectImpl {
public:
    MFn::Type apiType() const override { return MFn::kPlugin; }

    std::string name;
    std::string path;
    std::string vendor = "Unknown";
    std::string version = "Unknown";
    std::string apiVersion;
    void* handle = nullptr;
    PluginEntry initialize = nullptr;
    PluginEntry uninitialize = nullptr;
    // True while initializePlugin runs: the only time MFnPlugin records the
    // vendor and version it is given.
    bool initializing = false;
    bool initialized = false;
};

std::vector<std::shared_ptr<PluginImpl>>& loaded() {
    static std::vector<std::shared_ptr<PluginImpl>> plugins;
    return plugins;
}

std::shared_ptr<PluginImpl> findLoaded(const std::string& name) {
    for (const auto& plugin : loaded()) {
        if (plugin->name == name) return plugin;
    }
    return nullptr;
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool hasModuleExtension(const std::string& name) {
    auto endsWith = [&](const char* ext) {
        const std::string e = ext;
        return name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
    };
    return endsWith(".so") || endsWith(".mll");
}

std::string stemOf(const std::string& path) {
    std::string file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos && dot > 0) file.resize(dot);
    return file;
}

// The file names tried for a plug-in name: as given when it has an
// extension, otherwise with each extension.
std::vector<std::string> fileNames(const std::string& name) {
    if (hasModuleExtension(name)) return {name};
    return {name + ".so", name + ".mll", name};
}

std::string resolve(const std::string& nameOrPath) {
    if (nameOrPath.find('/') != std::string::npos) {
        for (const std::string& candidate : fileNames(nameOrPath)) {
            if (isRegularFile(candidate)) return candidate;
        }
        return std::string();
    }
    std::vector<std::string> folders;
    if (const char* searchPath = std::getenv("MAYA_PLUG_IN_PATH")) {
        std::string list = searchPath;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t colon = list.find(':', start);
            if (colon == std::string::npos) colon = list.size();
            if (colon > start) folders.push_back(list.substr(start, colon - start));
            start = colon + 1;
        }
    }
    folders.push_back(ZT_DEFAULT_PLUGIN_DIR);
    folders.push_back(ZT_INSTALL_PLUGIN_DIR);
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        for (const std::string& file : fileNames(nameOrPath)) {
            const std::string candidate = folder + "/" + file;
            if (isRegularFile(candidate)) return candidate;
        }
    }
    return std::string();
}

std::string canonical(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// Removes what the plug-in still has registered, then the plug-in itself.
void forget(const std::shared_ptr<PluginImpl>& plugin) {
    for (const NodeTypePtr& type : nodeTypesOwnedBy(plugin->name)) deregisterNodeType(type->id);
    commands::deregisterCommandsOf(plugin->name);
    auto& list = loaded();
    list.erase(std::remove(list.begin(), list.end(), plugin), list.end());
    if (plugin->handle) dlclose(plugin->handle);
    plugin->handle = nullptr;
}

}  // namespace

MStatus loadPlugin(const std::string& nameOrPath, std::string* loadedName, std::string* error) {
    const std::string path = resolve(nameOrPath);
    if (path.empty()) {
        setError(error, "Plug-in not found: " + nameOrPath);
        return MS::kNotFound;
    }
    const std::string name = stemOf(path);
    if (loadedName) *loadedName = name;
    if (auto existing = findLoaded(name)) {
        if (existing->initialized) return MS::kSuccess;
        setError(error,
                 "Plug-in " + name + " failed to initialize; unload it before loading again");
        return MS::kFailure;
    }

    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        setError(error, "Cannot load " + path + ": " + (reason ? reason : "unknown error"));
        return MS::kFailure;
    }
    // The version symbol must be the module's own, not one it links to.
    void* version = dlsym(handle, "MApiVersion");
    Dl_info where{};
    if (!version || !dladdr(version, &where) || !where.dli_fname ||
        canonical(where.dli_fname) != canonical(path)) {
        dlclose(handle);
        setError(error, path + " is not a plug-in: it does not export MApiVersion");
        return MS::kFailure;
    }
    auto initialize = reinterpret_cast<PluginEntry>(dlsym(handle, "initializePlugin"));
    auto uninitialize = reinterpret_cast<PluginEntry>(dlsym(handle, "uninitializePlugin"));
    if (!initialize || !uninitialize) {
        dlclose(handle);
        setError(error, path + " does not export initializePlugin and uninitializePlugin");
        return MS::kFailure;
    }

    auto plugin = std::make_shared<PluginImpl>();
    plugin->name = name;
    plugin->path = canonical(path);
    plugin->apiVersion = static_cast<const char*>(version);
    plugin->handle = handle;
    plugin->initialize = initialize;
    plugin->uninitialize = uninitialize;
    loaded().push_back(plugin);

    plugin->initializing = true;
    const MStatus status = initialize(ObjectAccess::wrap(plugin));
    plugin->initializing = false;
    plugin->initialized = status == MS::kSuccess;
    if (!plugin->initialized) {
        // What it registered before failing stays (its code stays loaded).
        setError(error, "initializePlugin of " + name + " failed");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus unloadPlugin(const std::string& name, std::string* error) {
    std::shared_ptr<PluginImpl> plugin = findLoaded(name);
    if (!plugin) {
        setError(error, "Plug-in " + name + " is not loaded");
        return MS::kNotFound;
    }
    const MStatus status = plugin->uninitialize(ObjectAccess::wrap(plugin));
    if (!status) setError(error, "uninitializePlugin of " + name + " failed");
    forget(plugin);
    return status;
}

bool isPluginLoaded(const std::string& name) {
    return findLoaded(name) != nullptr;
}

std::vector<std::string> loadedPlugins() {
    std::vector<std::string> names;
    for (const auto& plugin : loaded()) names.push_back(plugin->name);
    return names;
}

std::string pluginPath(const std::string& name) {
    auto plugin = findLoaded(name);
    return plugin ? plugin->path : std::string();
}

namespace {
PluginImpl* pluginOf(const MObject& object) {
    return dynamic_cast<PluginImpl*>(ObjectAccess::get(object).get());
}
}  // namespace

}  // namespace zt::host

using zt::host::PluginImpl;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

}  // namespace

MFnPlugin::MFnPlugin() = default;

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version,
                     const char* requiredApiVersion, MStatus* ReturnStatus) {
    MStatus status = attach(object);
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    if (plugin && plugin->initializing) {
        plugin->vendor = vendor ? vendor : "Unknown";
        plugin->version = version ? version : "Unknown";
    }
    // A plug-in that needs a newer API than this host's cannot run here.
    if (status && requiredApiVersion && std::string(requiredApiVersion) != "Any") {
        char* end = nullptr;
        const long required = std::strtol(requiredApiVersion, &end, 10);
        if (end != requiredApiVersion && required > MAYA_API_VERSION) status = MS::kFailure;
    }
    report(ReturnStatus, status.statusCode());
}

MFnPlugin::~MFnPlugin() = default;
MFn::Type MFnPlugin::type() const {
    return MFn::kPlugin;
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                                   MCreateSyntaxFunction) {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    if (!plugin || !creatorFunction) return MS::kFailure;
    return zt::commands::registerPluginCommand(commandName.asChar(), creatorFunction, plugin->name)
               ? MS::kSuccess
               : MS::kFailure;
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName) {
    if (!zt::host::pluginOf(fObject)) return MS::kFailure;
    return zt::commands::deregisterCommand(commandName.asChar()) ? MS::kSuccess : MS::kFailure;
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString*) {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    if (!plugin) return MS::kFailure;
    return zt::host::registerNodeType(typeName.asChar(), typeId, creatorFunction, initFunction,
                                      type, MFn::kInvalid, plugin->name);
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    zt::host::NodeTypePtr type = zt::host::findNodeType(typeId);
    if (!plugin || !type || type->owner != plugin->name) return MS::kFailure;
    return zt::host::deregisterNodeType(typeId);
}

MString MFnPlugin::vendor(MStatus* ReturnStatus) const {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    report(ReturnStatus, plugin ? MS::kSuccess : MS::kFailure);
    return plugin ? MString(plugin->vendor.c_str()) : MString();
}

MString MFnPlugin::version(MStatus* ReturnStatus) const {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    report(ReturnStatus, plugin ? MS::kSuccess : MS::kFailure);
    return plugin ? MString(plugin->version.c_str()) : MString();
}

MString MFnPlugin::apiVersion(MStatus* ReturnStatus) const {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    report(ReturnStatus, plugin ? MS::kSuccess : MS::kFailure);
    return plugin ? MString(plugin->apiVersion.c_str()) : MString();
}

MString MFnPlugin::name(MStatus* ReturnStatus) const {
    PluginImpl* plugin = zt::host::pluginOf(fObject);
    report(ReturnStatus, plugin ? MS::kSuccess : MS::kFailure);
    return plugin ? MString(plugin->name.c_str()) : MString();
}
