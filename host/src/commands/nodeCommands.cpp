// Node commands: createNode, delete, rename, ls, objExists, nodeType.
//
//   createNode ztScatterPoints -n scatter1;
//   connectAttr planeShape.outMesh scatter1.inMesh;
//   rename scatter1 "scatter#";
//   string $all[] = `ls -type ztScatterPoints`;
//   delete scatter1;

#include <maya/MFnDependencyNode.h>

#include <cctype>
#include <set>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/registry.h"
#include "graph/scene.h"

namespace zt::commands {

namespace {

// Shell-style match with * and ?, as ls patterns are written.
bool globMatch(const char* pattern, const char* text) {
    const char* starP = nullptr;
    const char* starT = nullptr;
    while (*text) {
        if (*pattern == '*') {
            starP = pattern++;
            starT = text;
        } else if (*pattern == '?' || *pattern == *text) {
            ++pattern;
            ++text;
        } else if (starP) {
            pattern = starP + 1;
            text = ++starT;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

// Node names: letters, digits and '_', not starting with a digit; a
// trailing '#' asks for a number.
void requireValidName(const std::string& command, const std::string& name) {
    bool ok = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0]));
    for (std::size_t i = 0; ok && i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        ok = std::isalnum(c) || c == '_' || (c == '#' && i + 1 == name.size());
    }
    if (!ok)
        throw CommandError(command + ": '" + name +
                           "' is not a valid node name (letters, digits and _, not starting "
                           "with a digit; a final # asks for a number)");
}

void createNodeCommand(const ParsedArgs& args, CommandResult& result) {
    const std::string type = args.positionalString(0);
    if (!host::nodeTypeExists(type)) throw CommandError("createNode: Unknown object type: " + type);
    if (args.isFlagSet("name")) requireValidName("createNode", args.flagString("name"));
    MObject parent;
    if (args.isFlagSet("parent")) parent = requireNode("createNode", args.flagString("parent"));
    MStatus status;
    MObject node = host::createNode(type, args.flagString("name"), parent, &status);
    if (!status || node.isNull())
        throw CommandError("createNode: cannot create a node of type '" + type + "'" +
                           (parent.isNull() ? ""
                                            : " under '" + args.flagString("parent") +
                                                  "' (a parent must be a transform)"));
    // The new node becomes the selection, unless the script asks otherwise.
    if (!args.isFlagSet("skipSelect")) host::setActiveSelection({node});
    result = Value(nodeName(node));
}

void deleteCommand(const ParsedArgs& args, CommandResult&) {
    // Every name is checked before anything is deleted.
    std::vector<MObject> nodes;
    for (std::size_t i = 0; i < args.positionalCount(); ++i) {
        nodes.push_back(requireNode("delete", args.positionalString(i)));
        // Time is what every animated node reads; the scene keeps it.
        if (nodes.back() == host::timeNode())
            throw CommandError("delete: Cannot delete the default node '" +
                               args.positionalString(i) + "'");
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        // Deleting a transform deletes its shapes: a later name may be gone.
        if (host::findNode(args.positionalString(i)).isNull()) continue;
        MStatus status = host::deleteNode(nodes[i]);
        if (!status) throw CommandError("delete: cannot delete '" + args.positionalString(i) + "'");
    }
}

void renameCommand(const ParsedArgs& args, CommandResult& result) {
    MObject node = requireNode("rename", args.positionalString(0));
    const std::string wanted = args.positionalString(1);
    requireValidName("rename", wanted);
    MStatus status;
    std::string given = host::renameNode(node, wanted, &status);
    if (!status || given.empty())
        throw CommandError("rename: cannot rename '" + args.positionalString(0) + "' to '" +
                           wanted + "'");
    result = Value(given);
}

void lsCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> types;
    for (std::size_t u = 0; u < args.flagUseCount("type"); ++u)
        types.push_back(args.flagValues("type", u).at(0).asString());
    std::vector<MObject> nodes;
    if (args.isFlagSet("selection")) {
        // The selection in the order it was made, filtered like the scene.
        std::set<std::string> wanted(types.begin(), types.end());
        for (const MObject& node : host::activeSelection())
            if (wanted.empty() || wanted.count(MFnDependencyNode(node).typeName().asChar()))
                nodes.push_back(node);
    } else if (types.empty()) {
        nodes = host::listNodes();
    } else {
        // Creation order across all requested types.
        std::set<std::string> wanted(types.begin(), types.end());
        for (const MObject& node : host::listNodes())
            if (wanted.count(MFnDependencyNode(node).typeName().asChar())) nodes.push_back(node);
    }
    std::vector<std::string> names;
    for (const MObject& node : nodes) {
        std::string name = nodeName(node);
        bool keep = args.positionalCount() == 0;
        for (std::size_t i = 0; i < args.positionalCount() && !keep; ++i)
            keep = globMatch(args.positionalString(i).c_str(), name.c_str());
        if (keep) names.push_back(name);
    }
    result = Value(names);
}

void objExistsCommand(const ParsedArgs& args, CommandResult& result) {
    const std::string name = args.positionalString(0);
    bool exists = !name.empty() && !host::findNode(name).isNull();
    if (!exists && name.find('.') != std::string::npos) {
        MPlug plug;
        exists = host::plugFromString(name, plug) && !plug.isNull();
    }
    result = Value(exists ? 1 : 0);
}

void nodeTypeCommand(const ParsedArgs& args, CommandResult& result) {
    MObject node = requireNode("nodeType", args.positionalString(0));
    result = Value(std::string(MFnDependencyNode(node).typeName().asChar()));
}

}  // namespace

void registerNodeCommands() {
    CommandSpec create;
    create.name = "createNode";
    create.flags = {{"n", "name", {ArgType::kString}},
                    {"p", "parent", {ArgType::kString}},
                    // Keeps the selection as it was.
                    {"ss", "skipSelect", {}}};
    create.minPositional = create.maxPositional = 1;
    create.handler = createNodeCommand;
    registerCommand(std::move(create));

    CommandSpec del;
    del.name = "delete";
    del.minPositional = 1;
    del.handler = deleteCommand;
    registerCommand(std::move(del));

    CommandSpec rename;
    rename.name = "rename";
    rename.minPositional = rename.maxPositional = 2;
    rename.handler = renameCommand;
    registerCommand(std::move(rename));

    CommandSpec ls;
    ls.name = "ls";
    ls.flags = {{"type", "type", {ArgType::kString}, true}, {"sl", "selection", {}}};
    ls.handler = lsCommand;
    registerCommand(std::move(ls));

    CommandSpec exists;
    exists.name = "objExists";
    exists.minPositional = exists.maxPositional = 1;
    exists.handler = objExistsCommand;
    registerCommand(std::move(exists));

    CommandSpec type;
    type.name = "nodeType";
    type.minPositional = type.maxPositional = 1;
    type.handler = nodeTypeCommand;
    registerCommand(std::move(type));
}

}  // namespace zt::commands
