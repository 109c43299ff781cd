// Commands on the DAG and the selection: spaceLocator, listRelatives,
// parent, xform, duplicate, select.
//
//   spaceLocator -n marker -p 0 1 0;           // {"marker"}, shape markerShape
//   parent marker ground;                     // keeps marker where it is in the world
//   xform -ws -t 1 2 3 marker;
//   float $p[] = `xform -q -ws -t marker`;
//   string $kids[] = `listRelatives -c ground`;
//   select -r marker; string $sel[] = `ls -sl`;

#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/dag.h"
#include "graph/messages.h"
#include "graph/node.h"
#include "graph/scene.h"
#include "mesh/meshNode.h"

namespace zt::commands {

namespace {

host::NodeImpl* dagNode(const std::string& command, const std::string& name) {
    MObject node = requireNode(command, name);
    host::NodeImpl* impl = host::liveNodeOf(node);
    if (!impl->isDag()) throw CommandError(command + ": '" + name + "' is not a DAG node");
    return impl;
}

std::string pathName(const host::NodeImpl* node, bool full) {
    return full ? node->fullPathName() : node->name;
}

// The objects a command works on: its arguments, or the selection.
std::vector<std::string> objectsOrSelection(const ParsedArgs& args, std::size_t first = 0,
                                            std::size_t count = std::string::npos) {
    std::vector<std::string> names;
    for (std::size_t i = first; i < args.positionalCount() && names.size() < count; ++i)
        names.push_back(args.positionalString(i));
    if (args.positionalCount() <= first)
        for (const MObject& node : host::activeSelection()) names.push_back(nodeName(node));
    return names;
}

// ---- transform values --------------------------------------------------------

void readTriple(const MObject& node, const MObject& compound, double out[3]) {
    MPlug plug(node, compound);
    for (unsigned int k = 0; k < 3; ++k) out[k] = plug.child(k).asDouble();
}

void writeTriple(const MObject& node, const MObject& compound, const double v[3]) {
    MPlug plug(node, compound);
    MPlug driven;
    if (drivenByConnection(plug, &driven))
        throw CommandError("The attribute '" + plugName(driven) +
                           "' is locked or connected and cannot be modified.");
    for (unsigned int k = 0; k < 3; ++k) plug.child(k).setValue(v[k]);
}

MMatrix worldMatrixOf(const MObject& node) {
    MDagPath path;
    MDagPath::getAPathTo(node, path);
    return path.inclusiveMatrix();
}

MMatrix parentWorldMatrixOf(const MObject& node) {
    MDagPath path;
    MDagPath::getAPathTo(node, path);
    return path.exclusiveMatrix();
}

// Sets translate, rotate and scale so that the node's local matrix is `m`.
void setLocalMatrix(const MObject& node, const MMatrix& m) {
    const host::DagAttributes& dag = host::dagAttributes();
    double t[3], r[3], s[3];
    host::decomposeTransform(m, t, r, s);
    writeTriple(node, dag.translate, t);
    writeTriple(node, dag.rotate, r);
    writeTriple(node, dag.scale, s);
}

MMatrix localMatrixOf(const MObject& node) {
    const host::DagAttributes& dag = host::dagAttributes();
    double t[3], r[3], s[3];
    readTriple(node, dag.translate, t);
    readTriple(node, dag.rotate, r);
    readTriple(node, dag.scale, s);
    return host::composeTransform(t, r, s);
}

std::vector<double> matrixValues(const MMatrix& m) {
    std::vector<double> out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.push_back(m[r][c]);
    return out;
}

// ---- spaceLocator -------------------------------------------------------------

void spaceLocatorCommand(const ParsedArgs& args, CommandResult& result) {
    std::string name = args.flagString("name", 0, "locator#");
    MStatus status;
    MObject transform = host::createNode("transform", name, MObject(), &status);
    if (!status) throw CommandError("spaceLocator: '" + name + "' is not a valid node name");
    const std::string transformName = nodeName(transform);
    MObject shape =
        host::createNode("locator", host::shapeNameFor(transformName), transform, &status);
    if (!status) {
        host::deleteNode(transform);
        throw CommandError("spaceLocator: cannot create the locator shape");
    }
    if (args.isFlagSet("position")) {
        MFnDependencyNode fn(shape);
        const char* names[3] = {"localPositionX", "localPositionY", "localPositionZ"};
        for (int k = 0; k < 3; ++k) fn.findPlug(names[k]).setValue(args.flagDouble("position", k));
    }
    host::setActiveSelection({transform});
    result = Value(std::vector<std::string>{transformName});
}

// ---- listRelatives --------------------------------------------------------------

void descendants(host::NodeImpl* node, std::vector<host::NodeImpl*>& out) {
    for (host::NodeImpl* child : node->children) {
        out.push_back(child);
        descendants(child, out);
    }
}

void listRelativesCommand(const ParsedArgs& args, CommandResult& result) {
    const bool full = args.isFlagSet("fullPath");
    std::set<std::string> types;
    for (std::size_t u = 0; u < args.flagUseCount("type"); ++u)
        types.insert(args.flagValues("type", u).at(0).asString());
    std::vector<std::string> names;
    for (const std::string& object : objectsOrSelection(args)) {
        host::NodeImpl* node = dagNode("listRelatives", object);
        std::vector<host::NodeImpl*> found;
        if (args.isFlagSet("parent") || args.isFlagSet("allParents")) {
            if (node->parent) found.push_back(node->parent);
        } else if (args.isFlagSet("allDescendents")) {
            descendants(node, found);
            // Deepest first, as the host lists them.
            std::reverse(found.begin(), found.end());
        } else {
            found = node->children;
        }
        for (host::NodeImpl* n : found) {
            if (args.isFlagSet("shapes") && (n->isTransform() || !n->isDag())) continue;
            if (!types.empty() && !types.count(n->type->name)) continue;
            if (args.isFlagSet("noIntermediate")) {
                MPlug io(n->object(), host::dagAttributes().intermediateObject);
                if (io.asBool()) continue;
            }
            const std::string name = pathName(n, full);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    result = Value(names);
}

// ---- parent -----------------------------------------------------------------------

void parentCommand(const ParsedArgs& args, CommandResult& result) {
    const bool toWorld = args.isFlagSet("world");
    const bool relative = args.isFlagSet("relative");
    std::vector<std::string> childNames;
    MObject parent;
    host::NodeImpl* parentImpl = nullptr;
    if (toWorld) {
        childNames = objectsOrSelection(args);
    } else {
        if (args.positionalCount() == 0)
            throw CommandError("parent: give the objects and then the new parent");
        const std::string parentName = args.positionalString(args.positionalCount() - 1);
        parentImpl = dagNode("parent", parentName);
        if (!parentImpl->isTransform())
            throw CommandError("parent: '" + parentName + "' is not a transform");
        parent = parentImpl->object();
        if (args.positionalCount() == 1) {
            for (const MObject& node : host::activeSelection())
                if (!(node == parent)) childNames.push_back(nodeName(node));
        } else {
            for (std::size_t i = 0; i + 1 < args.positionalCount(); ++i)
                childNames.push_back(args.positionalString(i));
        }
    }
    if (childNames.empty()) throw CommandError("parent: Not enough objects or values.");

    std::vector<host::NodeImpl*> children;
    for (const std::string& name : childNames) {
        host::NodeImpl* child = dagNode("parent", name);
        if (!child->isTransform() && !args.isFlagSet("shape"))
            throw CommandError("parent: '" + name +
                               "' is a shape; use -shape (-s) to move a shape to another "
                               "transform");
        for (host::NodeImpl* up = parentImpl; up; up = up->parent)
            if (up == child)
                throw CommandError("parent: Cannot parent '" + name +
                                   "' to one of its own descendants.");
        children.push_back(child);
    }
    std::vector<std::string> names;
    for (host::NodeImpl* child : children) {
        if (child->parent == parentImpl) {
            host::postMessage(host::MessageKind::kWarning,
                              "Object '" + child->name + "' is already a child of " +
                                  (parentImpl ? "'" + parentImpl->name + "'" : "the world") + ".");
            names.push_back(child->name);
            continue;
        }
        MObject node = child->object();
        const bool keepWorld = !relative && child->isTransform();
        const MMatrix world = keepWorld ? worldMatrixOf(node) : MMatrix();
        if (!host::parentNode(node, parent))
            throw CommandError("parent: cannot move '" + child->name + "'");
        if (keepWorld) {
            const MMatrix above = parent.isNull() ? MMatrix() : worldMatrixOf(parent);
            setLocalMatrix(node, world * above.inverse());
        }
        names.push_back(child->name);
    }
    result = Value(names);
}

// ---- xform -------------------------------------------------------------------------

void xformCommand(const ParsedArgs& args, CommandResult& result) {
    const bool world = args.isFlagSet("worldSpace");
    const bool relative = args.isFlagSet("relative");
    const host::DagAttributes& dag = host::dagAttributes();
    std::vector<std::string> objects = objectsOrSelection(args);
    if (objects.empty()) throw CommandError("xform: No objects specified");

    std::vector<MObject> nodes;
    for (const std::string& name : objects) {
        host::NodeImpl* node = dagNode("xform", name);
        // A shape is moved through its transform.
        if (!node->isTransform()) node = node->parent;
        if (!node || !node->isTransform())
            throw CommandError("xform: '" + name + "' has no transform");
        nodes.push_back(node->object());
    }

    if (args.isQuery()) {
        const MObject& node = nodes.front();
        double t[3], r[3], s[3];
        if (world)
            host::decomposeTransform(worldMatrixOf(node), t, r, s);
        else {
            readTriple(node, dag.translate, t);
            readTriple(node, dag.rotate, r);
            readTriple(node, dag.scale, s);
        }
        if (args.isFlagSet("translation"))
            result = Value(std::vector<double>{t[0], t[1], t[2]});
        else if (args.isFlagSet("rotation"))
            result = Value(std::vector<double>{r[0], r[1], r[2]});
        else if (args.isFlagSet("scale"))
            result = Value(std::vector<double>{s[0], s[1], s[2]});
        else if (args.isFlagSet("matrix"))
            result = Value(matrixValues(world ? worldMatrixOf(node) : localMatrixOf(node)));
        else
            throw CommandError("xform: query -translation, -rotation, -scale or -matrix");
        return;
    }

    for (const MObject& node : nodes) {
        if (args.isFlagSet("matrix")) {
            double m[4][4];
            for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = args.flagDouble("matrix", i);
            MMatrix local(m);
            if (world) local = local * parentWorldMatrixOf(node).inverse();
            setLocalMatrix(node, local);
        }
        if (args.isFlagSet("rotation")) {
            double r[3];
            for (int k = 0; k < 3; ++k) r[k] = args.flagDouble("rotation", k);
            if (relative) {
                double old[3];
                readTriple(node, dag.rotate, old);
                for (int k = 0; k < 3; ++k) r[k] += old[k];
            }
            if (world && !relative) {
                // The local rotation that gives this world rotation under the
                // parent, keeping translate and scale.
                double wt[3], wr[3], ws[3];
                host::decomposeTransform(worldMatrixOf(node), wt, wr, ws);
                const MMatrix wanted = host::composeTransform(wt, r, ws);
                double lt[3], lr[3], ls[3];
                host::decomposeTransform(wanted * parentWorldMatrixOf(node).inverse(), lt, lr, ls);
                writeTriple(node, dag.rotate, lr);
            } else {
                writeTriple(node, dag.rotate, r);
            }
        }
        if (args.isFlagSet("scale")) {
            double s[3];
            for (int k = 0; k < 3; ++k) s[k] = args.flagDouble("scale", k);
            if (relative) {
                double old[3];
                readTriple(node, dag.scale, old);
                for (int k = 0; k < 3; ++k) s[k] *= old[k];
            }
            writeTriple(node, dag.scale, s);
        }
        if (args.isFlagSet("translation")) {
            double t[3];
            for (int k = 0; k < 3; ++k) t[k] = args.flagDouble("translation", k);
            if (world) {
                const MMatrix above = parentWorldMatrixOf(node).inverse();
                if (relative) {
                    const MVector step = MVector(t[0], t[1], t[2]) * above;
                    t[0] = step.x, t[1] = step.y, t[2] = step.z;
                } else {
                    const MPoint p = MPoint(t[0], t[1], t[2]) * above;
                    t[0] = p.x, t[1] = p.y, t[2] = p.z;
                }
            }
            if (relative) {
                double old[3];
                readTriple(node, dag.translate, old);
                for (int k = 0; k < 3; ++k) t[k] += old[k];
            }
            writeTriple(node, dag.translate, t);
        }
    }
    result = Value();
}

// ---- duplicate ---------------------------------------------------------------------

void duplicateCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> objects = objectsOrSelection(args);
    if (objects.empty()) throw CommandError("duplicate: No objects specified");
    if (args.isFlagSet("name") && objects.size() > 1)
        throw CommandError("duplicate: -name needs a single object to duplicate");
    std::vector<MObject> originals;
    for (const std::string& name : objects) originals.push_back(requireNode("duplicate", name));
    std::vector<std::string> names;
    std::vector<MObject> roots;
    for (const MObject& original : originals) {
        MStatus status;
        MObject copy = host::duplicateNode(original, args.flagString("name"), &status);
        if (!status)
            throw CommandError(
                "duplicate: cannot duplicate '" + nodeName(original) + "'" +
                (args.isFlagSet("name") ? " as '" + args.flagString("name") + "'" : std::string()));
        // A shape copied on its own comes with a transform: that is the root.
        host::NodeImpl* impl = host::liveNodeOf(copy);
        if (impl->isDag() && !impl->isTransform() && impl->parent &&
            !host::liveNodeOf(original)->isTransform())
            copy = impl->parent->object();
        roots.push_back(copy);
        names.push_back(nodeName(copy));
    }
    host::setActiveSelection(roots);
    result = Value(names);
}

// ---- select ------------------------------------------------------------------------------

bool globMatch(const char* pattern, const char* text) {
    if (*pattern == '\0') return *text == '\0';
    if (*pattern == '*')
        return globMatch(pattern + 1, text) || (*text && globMatch(pattern, text + 1));
    if (*text && (*pattern == '?' || *pattern == *text)) return globMatch(pattern + 1, text + 1);
    return false;
}

void selectCommand(const ParsedArgs& args, CommandResult& result) {
    result = Value();
    if (args.isFlagSet("clear")) {
        host::setActiveSelection({});
        return;
    }
    std::vector<MObject> named;
    if (args.isFlagSet("all")) named = host::listNodes();
    for (std::size_t i = 0; i < args.positionalCount(); ++i) {
        const std::string name = args.positionalString(i);
        if (name.find_first_of("*?") != std::string::npos) {
            bool any = false;
            for (const MObject& node : host::listNodes())
                if (globMatch(name.c_str(), nodeName(node).c_str())) {
                    named.push_back(node);
                    any = true;
                }
            if (!any) throw CommandError("select: No object matches name: " + name);
        } else {
            std::string nodePart = name.substr(0, name.find('.'));
            named.push_back(requireNode("select", nodePart));
        }
    }
    if (named.empty() && !args.isFlagSet("all"))
        throw CommandError("select: Not enough objects or values.");
    std::vector<MObject> selection = host::activeSelection();
    auto contains = [&](const MObject& node) {
        return std::find(selection.begin(), selection.end(), node) != selection.end();
    };
    if (args.isFlagSet("deselect")) {
        selection.erase(std::remove_if(selection.begin(), selection.end(),
                                       [&](const MObject& n) {
                                           return std::find(named.begin(), named.end(), n) !=
                                                  named.end();
                                       }),
                        selection.end());
    } else if (args.isFlagSet("toggle")) {
        for (const MObject& node : named) {
            if (contains(node))
                selection.erase(std::find(selection.begin(), selection.end(), node));
            else
                selection.push_back(node);
        }
    } else if (args.isFlagSet("add")) {
        for (const MObject& node : named)
            if (!contains(node)) selection.push_back(node);
    } else {
        selection = named;
    }
    host::setActiveSelection(selection);
}

}  // namespace

void registerDagCommands() {
    CommandSpec locator;
    locator.name = "spaceLocator";
    locator.flags = {{"n", "name", {ArgType::kString}},
                     {"p", "position", {ArgType::kDouble, ArgType::kDouble, ArgType::kDouble}},
                     {"a", "absolute", {}},
                     {"r", "relative", {}}};
    locator.maxPositional = 0;
    locator.handler = spaceLocatorCommand;
    registerCommand(std::move(locator));

    CommandSpec relatives;
    relatives.name = "listRelatives";
    relatives.flags = {{"c", "children", {}},
                       {"p", "parent", {}},
                       {"ap", "allParents", {}},
                       {"s", "shapes", {}},
                       {"ad", "allDescendents", {}},
                       {"f", "fullPath", {}},
                       {"pa", "path", {}},
                       {"ni", "noIntermediate", {}},
                       {"typ", "type", {ArgType::kString}, true}};
    relatives.handler = listRelativesCommand;
    registerCommand(std::move(relatives));

    CommandSpec parent;
    parent.name = "parent";
    parent.flags = {
        {"w", "world", {}}, {"r", "relative", {}}, {"a", "absolute", {}}, {"s", "shape", {}}};
    parent.handler = parentCommand;
    registerCommand(std::move(parent));

    CommandSpec xform;
    xform.name = "xform";
    xform.queryable = true;
    using A = ArgType;
    xform.flags = {{"ws", "worldSpace", {}},
                   {"os", "objectSpace", {}},
                   {"r", "relative", {}},
                   {"a", "absolute", {}},
                   {"t", "translation", {A::kDouble, A::kDouble, A::kDouble}},
                   {"ro", "rotation", {A::kDouble, A::kDouble, A::kDouble}},
                   {"s", "scale", {A::kDouble, A::kDouble, A::kDouble}},
                   {"m",
                    "matrix",
                    {A::kDouble, A::kDouble, A::kDouble, A::kDouble, A::kDouble, A::kDouble,
                     A::kDouble, A::kDouble, A::kDouble, A::kDouble, A::kDouble, A::kDouble,
                     A::kDouble, A::kDouble, A::kDouble, A::kDouble}}};
    xform.handler = xformCommand;
    registerCommand(std::move(xform));

    CommandSpec duplicate;
    duplicate.name = "duplicate";
    duplicate.flags = {{"n", "name", {ArgType::kString}}, {"rr", "returnRootsOnly", {}}};
    duplicate.handler = duplicateCommand;
    registerCommand(std::move(duplicate));

    CommandSpec select;
    select.name = "select";
    select.flags = {{"r", "replace", {}},   {"add", "add", {}},    {"af", "addFirst", {}},
                    {"d", "deselect", {}},  {"tgl", "toggle", {}}, {"cl", "clear", {}},
                    {"ne", "noExpand", {}}, {"all", "all", {}}};
    select.handler = selectCommand;
    registerCommand(std::move(select));
}

}  // namespace zt::commands
