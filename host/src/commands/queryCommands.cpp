// Commands that ask about nodes and attributes: listAttr, attributeQuery,
// listConnections.
//
//   string $keyable[] = `listAttr -k ball`;
//   if (`attributeQuery -node scatter -exists radius`) ...
//   float $hi[] = `attributeQuery -node scatter -maximum trials`;
//   string $in[] = `listConnections -s 1 -d 0 -p 1 scatter.inMesh`;   // {"planeShape.outMesh"}

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <algorithm>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/attribute.h"
#include "graph/scene.h"

namespace zt::commands {

namespace {

bool wildcardMatch(const char* pattern, const char* text) {
    if (*pattern == '\0') return *text == '\0';
    if (*pattern == '*')
        return wildcardMatch(pattern + 1, text) || (*text && wildcardMatch(pattern, text + 1));
    if (*text && (*pattern == '?' || *pattern == *text))
        return wildcardMatch(pattern + 1, text + 1);
    return false;
}

// ---- listAttr -------------------------------------------------------------------

bool isScalar(const host::AttributeImpl& a) {
    return a.kind == host::AttrKind::kNumeric || a.kind == host::AttrKind::kUnit ||
           a.kind == host::AttrKind::kEnum;
}

void listAttrOf(const std::string& target, const ParsedArgs& args, std::vector<std::string>& names);

void listAttrCommand(const ParsedArgs& args, CommandResult& result) {
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < args.positionalCount(); ++i)
        targets.push_back(args.positionalString(i));
    if (targets.empty())
        for (const MObject& node : host::activeSelection()) targets.push_back(nodeName(node));
    if (targets.empty()) throw CommandError("listAttr: No objects specified");
    std::vector<std::string> names;
    for (const std::string& target : targets) listAttrOf(target, args, names);
    result = Value(names);
}

void listAttrOf(const std::string& target, const ParsedArgs& args,
                std::vector<std::string>& names) {
    // A plug lists the attributes under it.
    const host::AttributeImpl* under = nullptr;
    MObject node;
    if (target.find('.') != std::string::npos) {
        MPlug plug = requirePlug("listAttr", target);
        node = plug.node();
        under = host::attributeOf(plug.attribute());
    } else {
        node = requireNode("listAttr", target);
    }
    std::vector<std::string> patterns;
    for (std::size_t u = 0; u < args.flagUseCount("string"); ++u)
        patterns.push_back(args.flagValues("string", u).at(0).asString());

    MFnDependencyNode fn(node);
    for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
        const host::AttributeImpl* a = host::attributeOf(fn.attribute(i));
        if (!a) continue;
        if (under && !under->isAncestorOf(a)) continue;
        if (args.isFlagSet("keyable") && !a->keyable) continue;
        if (args.isFlagSet("readOnly") && a->writable) continue;
        if (args.isFlagSet("write") && !a->writable) continue;
        if (args.isFlagSet("read") && !a->readable) continue;
        if (args.isFlagSet("multi") && !a->array) continue;
        if (args.isFlagSet("scalar") && !isScalar(*a)) continue;
        if (args.isFlagSet("connectable") && !a->connectable) continue;
        if (args.isFlagSet("storable") && !a->storable) continue;
        if (args.isFlagSet("userDefined")) continue;  // this host makes no dynamic attributes
        // A child under a multi compound is named with its parent.
        std::string name = a->longName;
        for (const host::AttributeImpl* up = a->parent; up; up = up->parent)
            if (up->array) {
                name = up->longName + "." + name;
                for (const host::AttributeImpl* top = up->parent; top; top = top->parent)
                    name = top->longName + "." + name;
                break;
            }
        if (!patterns.empty() &&
            std::none_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
                return wildcardMatch(p.c_str(), a->longName.c_str()) ||
                       wildcardMatch(p.c_str(), a->shortName.c_str());
            }))
            continue;
        names.push_back(name);
    }
}

// ---- attributeQuery -------------------------------------------------------------

const host::AttributeImpl* findAttribute(MObject node, const std::string& name) {
    MFnDependencyNode fn(node);
    for (unsigned int i = 0; i < fn.attributeCount(); ++i) {
        const host::AttributeImpl* a = host::attributeOf(fn.attribute(i));
        if (a && (a->longName == name || a->shortName == name)) return a;
    }
    return nullptr;
}

// The limits or defaults of a numeric attribute, one per component.
enum class Limit { kMin, kMax, kSoftMin, kSoftMax, kDefault };

bool limitOf(const host::AttributeImpl& a, Limit which, double& out) {
    switch (which) {
        case Limit::kMin:
            out = a.minValue;
            return a.hasMin;
        case Limit::kMax:
            out = a.maxValue;
            return a.hasMax;
        case Limit::kSoftMin:
            out = a.softMinValue;
            return a.hasSoftMin;
        case Limit::kSoftMax:
            out = a.softMaxValue;
            return a.hasSoftMax;
        case Limit::kDefault:
            if (a.kind == host::AttrKind::kUnit && a.unitType == MFnUnitAttribute::kTime)
                out = a.defaultTime.as(MTime::uiUnit());
            else
                out = a.defaultValue;
            return isScalar(a) || a.isNumericCompound();
    }
    return false;
}

bool limits(const host::AttributeImpl& a, Limit which, std::vector<double>& out) {
    out.clear();
    if (a.isCompound()) {
        if (a.children.empty()) return false;
        for (const auto& child : a.children) {
            double v = 0.0;
            if (!limitOf(*child, which, v) && !limitOf(a, which, v)) return false;
            out.push_back(v);
        }
        return true;
    }
    double v = 0.0;
    if (!limitOf(a, which, v)) return false;
    out.push_back(v);
    return true;
}

std::string attributeTypeName(const host::AttributeImpl& a) {
    switch (a.kind) {
        case host::AttrKind::kNumeric:
            switch (a.numericType) {
                case MFnNumericData::kBoolean:
                    return "bool";
                case MFnNumericData::kByte:
                case MFnNumericData::kChar:
                    return "byte";
                case MFnNumericData::kShort:
                    return "short";
                case MFnNumericData::kInt:
                    return "long";
                case MFnNumericData::kFloat:
                    return "float";
                default:
                    return "double";
            }
        case host::AttrKind::kCompound:
            return a.isNumericCompound() ? "double3" : "compound";
        case host::AttrKind::kTyped:
            return "typed";
        case host::AttrKind::kMatrix:
            return "matrix";
        case host::AttrKind::kUnit:
            return a.unitType == MFnUnitAttribute::kTime       ? "time"
                   : a.unitType == MFnUnitAttribute::kAngle    ? "doubleAngle"
                   : a.unitType == MFnUnitAttribute::kDistance ? "doubleLinear"
                                                               : "double";
        case host::AttrKind::kEnum:
            return "enum";
        case host::AttrKind::kMessage:
            return "message";
    }
    return "unknown";
}

void attributeQueryCommand(const ParsedArgs& args, CommandResult& result) {
    if (args.positionalCount() != 1) throw CommandError("attributeQuery: give one attribute name");
    if (!args.isFlagSet("node"))
        throw CommandError("attributeQuery: name the node with -node (or -type)");
    const std::string nodeName = args.flagString("node");
    MObject node = requireNode("attributeQuery", nodeName);
    const std::string name = args.positionalString(0);
    const host::AttributeImpl* a = findAttribute(node, name);
    if (args.isFlagSet("exists")) {
        result = Value(a ? 1 : 0);
        return;
    }
    if (!a)
        throw CommandError("attributeQuery: No attribute named " + name + " on node " + nodeName);

    struct LimitFlag {
        const char* exists;
        const char* value;
        Limit limit;
    };
    const LimitFlag limitFlags[] = {{"minExists", "minimum", Limit::kMin},
                                    {"maxExists", "maximum", Limit::kMax},
                                    {"softMinExists", "softMin", Limit::kSoftMin},
                                    {"softMaxExists", "softMax", Limit::kSoftMax}};
    std::vector<double> values;
    for (const LimitFlag& f : limitFlags) {
        if (args.isFlagSet(f.exists)) {
            result = Value(limits(*a, f.limit, values) ? 1 : 0);
            return;
        }
        if (args.isFlagSet(f.value)) {
            if (!limits(*a, f.limit, values))
                throw CommandError("attributeQuery: Attribute '" + nodeName + "." + a->longName +
                                   "' has no " + f.value + " value");
            result = Value(values);
            return;
        }
    }
    if (args.isFlagSet("listDefault")) {
        if (!limits(*a, Limit::kDefault, values))
            throw CommandError("attributeQuery: Attribute '" + nodeName + "." + a->longName +
                               "' has no numeric default");
        result = Value(values);
    } else if (args.isFlagSet("keyable")) {
        result = Value(a->keyable ? 1 : 0);
    } else if (args.isFlagSet("multi")) {
        result = Value(a->array ? 1 : 0);
    } else if (args.isFlagSet("readable")) {
        result = Value(a->readable ? 1 : 0);
    } else if (args.isFlagSet("writable")) {
        result = Value(a->writable ? 1 : 0);
    } else if (args.isFlagSet("storable")) {
        result = Value(a->storable ? 1 : 0);
    } else if (args.isFlagSet("connectable")) {
        result = Value(a->connectable ? 1 : 0);
    } else if (args.isFlagSet("longName")) {
        result = Value(a->longName);
    } else if (args.isFlagSet("shortName")) {
        result = Value(a->shortName);
    } else if (args.isFlagSet("attributeType")) {
        result = Value(attributeTypeName(*a));
    } else if (args.isFlagSet("listChildren")) {
        std::vector<std::string> children;
        for (const auto& child : a->children) children.push_back(child->longName);
        result = Value(children);
    } else if (args.isFlagSet("listParent")) {
        result = a->parent ? Value(std::vector<std::string>{a->parent->longName})
                           : Value(std::vector<std::string>{});
    } else if (args.isFlagSet("listEnum")) {
        if (a->kind != host::AttrKind::kEnum)
            throw CommandError("attributeQuery: '" + a->longName + "' is not an enum attribute");
        std::string fields;
        for (const auto& field : a->enumFields)
            fields += (fields.empty() ? "" : ":") + field.second;
        result = Value(std::vector<std::string>{fields});
    } else {
        throw CommandError(
            "attributeQuery: ask for something: -exists, -minimum, -maximum, "
            "-listDefault, ...");
    }
}

// ---- listConnections ----------------------------------------------------------------

// Whether `plug` is the plug asked about or under it (a child or element).
bool within(const MPlug& plug, const MPlug& asked) {
    for (MPlug p = plug; !p.isNull();) {
        if (p == asked) return true;
        if (p.isElement())
            p = p.array();
        else if (p.isChild())
            p = p.parent();
        else
            break;
    }
    return false;
}

void listConnectionsCommand(const ParsedArgs& args, CommandResult& result) {
    const bool sources = args.flagBool("source", 0, true);
    const bool destinations = args.flagBool("destination", 0, true);
    const bool plugs = args.flagBool("plugs", 0, false);
    const bool pairs = args.flagBool("connections", 0, false);
    const bool skipConversion = args.flagBool("skipConversionNodes", 0, false);
    (void)skipConversion;  // there are no conversion nodes to skip
    std::string type = args.flagString("type");

    std::vector<std::string> objects;
    for (std::size_t i = 0; i < args.positionalCount(); ++i)
        objects.push_back(args.positionalString(i));
    if (objects.empty())
        for (const MObject& node : host::activeSelection()) objects.push_back(nodeName(node));

    std::vector<std::string> out;
    for (const std::string& object : objects) {
        MObject node;
        MPlug asked;
        if (object.find('.') != std::string::npos) {
            asked = requirePlug("listConnections", object);
            node = asked.node();
        } else {
            node = requireNode("listConnections", object);
        }
        for (const auto& [source, destination] : host::connectionsOf(node)) {
            // The node's own side and the other side of the connection.
            const bool incoming = destination.node() == node;
            const bool outgoing = source.node() == node;
            for (int side = 0; side < 2; ++side) {
                const bool asDestination = side == 0;
                if (asDestination ? !incoming : !outgoing) continue;
                if (asDestination ? !sources : !destinations) continue;
                const MPlug& mine = asDestination ? destination : source;
                const MPlug& other = asDestination ? source : destination;
                if (!asked.isNull() && !within(mine, asked)) continue;
                if (!type.empty() &&
                    std::string(MFnDependencyNode(other.node()).typeName().asChar()) != type)
                    continue;
                if (pairs) out.push_back(plugName(mine));
                out.push_back(plugs ? plugName(other) : nodeName(other.node()));
            }
        }
    }
    result = Value(out);
}

}  // namespace

void registerQueryCommands() {
    CommandSpec listAttr;
    listAttr.name = "listAttr";
    listAttr.flags = {{"k", "keyable", {}},      {"w", "write", {}},
                      {"r", "read", {}},         {"ro", "readOnly", {}},
                      {"m", "multi", {}},        {"s", "scalar", {}},
                      {"c", "connectable", {}},  {"st", "string", {ArgType::kString}, true},
                      {"ud", "userDefined", {}}, {"sa", "storable", {}}};
    listAttr.handler = listAttrCommand;
    registerCommand(std::move(listAttr));

    CommandSpec query;
    query.name = "attributeQuery";
    query.flags = {{"n", "node", {ArgType::kString}},
                   {"ex", "exists", {}},
                   {"mne", "minExists", {}},
                   {"mxe", "maxExists", {}},
                   {"min", "minimum", {}},
                   {"max", "maximum", {}},
                   {"sme", "softMinExists", {}},
                   {"sxe", "softMaxExists", {}},
                   {"smn", "softMin", {}},
                   {"smx", "softMax", {}},
                   {"ld", "listDefault", {}},
                   {"k", "keyable", {}},
                   {"m", "multi", {}},
                   {"r", "readable", {}},
                   {"w", "writable", {}},
                   {"s", "storable", {}},
                   {"c", "connectable", {}},
                   {"ln", "longName", {}},
                   {"sn", "shortName", {}},
                   {"at", "attributeType", {}},
                   {"lc", "listChildren", {}},
                   {"lp", "listParent", {}},
                   {"le", "listEnum", {}}};
    query.handler = attributeQueryCommand;
    registerCommand(std::move(query));

    CommandSpec connections;
    connections.name = "listConnections";
    connections.flags = {
        {"s", "source", {ArgType::kBool}}, {"d", "destination", {ArgType::kBool}},
        {"p", "plugs", {ArgType::kBool}},  {"c", "connections", {ArgType::kBool}},
        {"t", "type", {ArgType::kString}}, {"scn", "skipConversionNodes", {ArgType::kBool}}};
    connections.handler = listConnectionsCommand;
    registerCommand(std::move(connections));
}

}  // namespace zt::commands
