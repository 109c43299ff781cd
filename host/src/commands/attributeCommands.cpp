// Attribute commands: setAttr, getAttr, connectAttr, disconnectAttr.
//
//   setAttr scatter1.radius 0.25;
//   setAttr -type double3 pPlane1.t 0 1 0;           // or: setAttr pPlane1.t 0 1 0
//   setAttr -type "string" cache1.cachePath "cache/run";
//   setAttr -type matrix xf1.matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 2 0 1;
//   getAttr scatter1.outPoints;                      // channel summary
//   getAttr -size scatter1.outPoints;                // number of points
//   float $p[] = `getAttr -channel position scatter1.outPoints`;
//   connectAttr -f planeShape.outMesh scatter1.inMesh;

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MMatrix.h>
#include <maya/MPlugArray.h>
#include <maya/MTime.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "commands/pointSetRead.h"
#include "graph/messages.h"
#include "graph/scene.h"

namespace zt::commands {

namespace {

// What an attribute holds, as the attribute commands see it.
enum class Shape {
    kBool,
    kInt,
    kFloat,  // stored as float: printed with float precision
    kDouble,
    kEnum,
    kTime,
    kDistanceOrAngle,
    kNumericCompound,
    kCompound,
    kString,
    kMatrix,
    kPointSet,
    kMesh,
    kVectorArray,
    kOtherData,
    kMessage
};

Shape shapeOf(const MObject& attr) {
    switch (attr.apiType()) {
        case MFn::kNumericAttribute: {
            MFnNumericAttribute fn(attr);
            switch (fn.unitType()) {
                case MFnNumericData::kBoolean:
                    return Shape::kBool;
                case MFnNumericData::kByte:
                case MFnNumericData::kChar:
                case MFnNumericData::kShort:
                case MFnNumericData::kInt:
                    return Shape::kInt;
                case MFnNumericData::kFloat:
                    return Shape::kFloat;
                case MFnNumericData::kDouble:
                    return Shape::kDouble;
                default:
                    return Shape::kNumericCompound;
            }
        }
        case MFn::kUnitAttribute:
            return MFnUnitAttribute(attr).unitType() == MFnUnitAttribute::kTime
                       ? Shape::kTime
                       : Shape::kDistanceOrAngle;
        case MFn::kEnumAttribute:
            return Shape::kEnum;
        case MFn::kCompoundAttribute:
            return Shape::kCompound;
        case MFn::kMatrixAttribute:
            return Shape::kMatrix;
        case MFn::kTypedAttribute:
            switch (MFnTypedAttribute(attr).attrType()) {
                case MFnData::kString:
                    return Shape::kString;
                case MFnData::kMatrix:
                    return Shape::kMatrix;
                case MFnData::kDynArrayAttrs:
                    return Shape::kPointSet;
                case MFnData::kMesh:
                    return Shape::kMesh;
                case MFnData::kVectorArray:
                    return Shape::kVectorArray;
                default:
                    return Shape::kOtherData;
            }
        default:
            return Shape::kMessage;
    }
}

// The type names getAttr -type reports, as the full host names them.
std::string typeName(const MPlug& plug) {
    MObject attr = plug.attribute();
    if (plug.isArray()) return shapeOf(attr) == Shape::kMatrix ? "matrix" : "TdataCompound";
    switch (shapeOf(attr)) {
        case Shape::kBool:
            return "bool";
        case Shape::kInt: {
            auto t = MFnNumericAttribute(attr).unitType();
            return t == MFnNumericData::kShort ? "short"
                   : t == MFnNumericData::kInt ? "long"
                                               : "byte";
        }
        case Shape::kFloat:
            return "float";
        case Shape::kDouble:
            return "double";
        case Shape::kEnum:
            return "enum";
        case Shape::kTime:
            return "time";
        case Shape::kDistanceOrAngle:
            return MFnUnitAttribute(attr).unitType() == MFnUnitAttribute::kAngle ? "doubleAngle"
                                                                                 : "doubleLinear";
        case Shape::kNumericCompound: {
            switch (MFnNumericAttribute(attr).unitType()) {
                case MFnNumericData::k2Short:
                    return "short2";
                case MFnNumericData::k3Short:
                    return "short3";
                case MFnNumericData::k2Int:
                    return "long2";
                case MFnNumericData::k3Int:
                    return "long3";
                case MFnNumericData::k2Float:
                    return "float2";
                case MFnNumericData::k3Float:
                    return "float3";
                case MFnNumericData::k2Double:
                    return "double2";
                case MFnNumericData::k3Double:
                    return "double3";
                case MFnNumericData::k4Double:
                    return "double4";
                default:
                    return "compound";
            }
        }
        case Shape::kCompound:
            return "TdataCompound";
        case Shape::kString:
            return "string";
        case Shape::kMatrix:
            return "matrix";
        case Shape::kPointSet:
            return "dynArrayAttrs";
        case Shape::kMesh:
            return "mesh";
        case Shape::kVectorArray:
            return "vectorArray";
        case Shape::kOtherData:
            return "data";
        case Shape::kMessage:
            return "message";
    }
    return "unknown";
}

// A float attribute's value as the nearest short decimal, so that 0.1f
// prints as 0.1 rather than 0.100000001.
double floatValue(float f) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(f));
    return std::strtod(buffer, nullptr);
}

void check(MStatus status, const std::string& command, const MPlug& plug, const char* what) {
    if (!status)
        throw CommandError(command + ": cannot " + what + " '" + plugName(plug) + "' (" +
                           status.errorString().asChar() + ")");
}

MObject dataOf(const MPlug& plug, const std::string& command) {
    MObject data;
    check(plug.getValue(data), command, plug, "read");
    return data;
}

std::vector<double> matrixValues(const MObject& data) {
    MStatus status;
    MFnMatrixData fn(data, &status);
    std::vector<double> out;
    if (!status) return out;
    const MMatrix& m = fn.matrix();
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int c = 0; c < 4; ++c) out.push_back(m(r, c));
    return out;
}

// Flattens scalar values into one array: ints stay ints unless any value
// is a float; strings make a string array.
Value flatten(const std::vector<Value>& parts) {
    bool anyString = false, anyFloat = false;
    for (const auto& p : parts)
        for (std::size_t i = 0; i < p.length(); ++i) {
            Value e = p.element(i);
            anyString = anyString || e.isString();
            anyFloat = anyFloat || e.type() == Value::Type::kDouble;
        }
    if (anyString) {
        std::vector<std::string> out;
        for (const auto& p : parts)
            for (const auto& s : p.asStringArray()) out.push_back(s);
        return Value(out);
    }
    if (anyFloat) {
        std::vector<double> out;
        for (const auto& p : parts)
            for (double d : p.asDoubleArray()) out.push_back(d);
        return Value(out);
    }
    std::vector<int> out;
    for (const auto& p : parts)
        for (int v : p.asIntArray()) out.push_back(v);
    return Value(out);
}

Value readPlug(const MPlug& plug, bool enumAsString);

Value readChildren(const MPlug& plug, bool enumAsString) {
    std::vector<Value> parts;
    for (unsigned int i = 0; i < plug.numChildren(); ++i) {
        Value v = readPlug(plug.child(i), enumAsString);
        if (v.isString() && !enumAsString)
            throw CommandError("getAttr: '" + plugName(plug) +
                               "' has non-numeric children; query them one by one");
        parts.push_back(v);
    }
    return flatten(parts);
}

Value readPlug(const MPlug& plug, bool enumAsString) {
    const std::string command = "getAttr";
    // The matrices of a DAG node are arrays with one element per instance;
    // named without an index they mean the first, as "getAttr t.worldMatrix".
    if (plug.isArray() && shapeOf(plug.attribute()) == Shape::kMatrix)
        return readPlug(plug.elementByLogicalIndex(0), enumAsString);
    if (plug.isArray()) {
        std::vector<Value> parts;
        for (unsigned int i = 0; i < plug.numElements(); ++i)
            parts.push_back(readPlug(plug.elementByPhysicalIndex(i), enumAsString));
        return flatten(parts);
    }
    MObject attr = plug.attribute();
    switch (shapeOf(attr)) {
        case Shape::kBool: {
            bool b = false;
            check(plug.getValue(b), command, plug, "read");
            return Value(b ? 1 : 0);
        }
        case Shape::kInt: {
            int i = 0;
            check(plug.getValue(i), command, plug, "read");
            return Value(i);
        }
        case Shape::kFloat: {
            float f = 0;
            check(plug.getValue(f), command, plug, "read");
            return Value(floatValue(f));
        }
        case Shape::kDouble:
        case Shape::kDistanceOrAngle: {
            double d = 0;
            check(plug.getValue(d), command, plug, "read");
            return Value(d);
        }
        case Shape::kEnum: {
            short s = 0;
            check(plug.getValue(s), command, plug, "read");
            if (enumAsString)
                return Value(std::string(MFnEnumAttribute(attr).fieldName(s).asChar()));
            return Value(static_cast<int>(s));
        }
        case Shape::kTime: {
            MTime t;
            check(plug.getValue(t), command, plug, "read");
            return Value(t.as(MTime::uiUnit()));
        }
        case Shape::kNumericCompound:
        case Shape::kCompound:
            return readChildren(plug, enumAsString);
        case Shape::kString: {
            MString s;
            check(plug.getValue(s), command, plug, "read");
            return Value(std::string(s.asChar()));
        }
        case Shape::kMatrix: {
            std::vector<double> m = matrixValues(dataOf(plug, command));
            if (m.empty()) m = std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            return Value(m);
        }
        case Shape::kPointSet: {
            MObject data = dataOf(plug, command);
            if (data.isNull()) return Value("no point set");
            return Value(pointSetSummary(readPointTable(data)));
        }
        case Shape::kMesh: {
            MObject data = dataOf(plug, command);
            MStatus status;
            MFnMesh mesh(data, &status);
            if (data.isNull() || !status) return Value("no mesh");
            return Value("mesh: " + std::to_string(mesh.numVertices()) + " vertices, " +
                         std::to_string(mesh.numPolygons()) + " faces");
        }
        case Shape::kVectorArray: {
            MObject data = dataOf(plug, command);
            MStatus status;
            MFnVectorArrayData fn(data, &status);
            std::vector<double> out;
            if (!data.isNull() && status) {
                MVectorArray a = fn.array();
                for (unsigned int i = 0; i < a.length(); ++i)
                    out.insert(out.end(), {a[i].x, a[i].y, a[i].z});
            }
            return Value(out);
        }
        case Shape::kOtherData:
            throw CommandError("getAttr: cannot show the data held by '" + plugName(plug) + "'");
        case Shape::kMessage:
            throw CommandError("getAttr: '" + plugName(plug) +
                               "' is a message attribute and has no value");
    }
    return Value();
}

Value channelValues(const PointTable& table, const std::string& channel, const MPlug& plug) {
    std::string names;
    for (const auto& c : table.channels) {
        if (c.name == channel) {
            if (c.kind == PointChannel::Kind::kInt) return Value(c.ints);
            return Value(c.doubles);
        }
        names += (names.empty() ? "" : ", ") + c.name;
    }
    throw CommandError("getAttr: point set of '" + plugName(plug) + "' has no channel '" + channel +
                       "' (channels: " + (names.empty() ? "none" : names) + ")");
}

void getAttrCommand(const ParsedArgs& args, CommandResult& result) {
    MPlug plug = requirePlug("getAttr", args.positionalString(0));
    if (args.isFlagSet("type")) {
        result = Value(typeName(plug));
        return;
    }
    const bool pointSet = !plug.isArray() && shapeOf(plug.attribute()) == Shape::kPointSet;
    if (args.isFlagSet("size")) {
        if (plug.isArray()) {
            result = Value(static_cast<int>(plug.numElements()));
        } else if (pointSet) {
            MObject data = dataOf(plug, "getAttr");
            PointTable table = data.isNull() ? PointTable() : readPointTable(data);
            result = Value(static_cast<int>(pointCount(table)));
        } else {
            result = Value(1);
        }
        return;
    }
    if (args.isFlagSet("channel")) {
        if (!pointSet)
            throw CommandError("getAttr: -channel needs a point-set attribute, and '" +
                               plugName(plug) + "' is " + typeName(plug));
        MObject data = dataOf(plug, "getAttr");
        if (data.isNull())
            throw CommandError("getAttr: '" + plugName(plug) + "' holds no point set");
        result = channelValues(readPointTable(data), args.flagString("channel"), plug);
        return;
    }
    result = readPlug(plug, args.isFlagSet("asString"));
}

// ---- setAttr ----------------------------------------------------------------

std::string describeValue(const Value& v) {
    return v.isString() ? "\"" + v.asString() + "\"" : v.toDisplayString();
}

void expectCount(const MPlug& plug, const std::vector<Value>& values, std::size_t n) {
    if (values.size() != n)
        throw CommandError("setAttr: '" + plugName(plug) + "' takes " + std::to_string(n) +
                           (n == 1 ? " value" : " values") + ", got " +
                           std::to_string(values.size()));
}

double numberFor(const MPlug& plug, const Value& v, std::size_t index, std::size_t count) {
    std::string what = count == 1 ? "the value for " + plugName(plug)
                                  : "value " + std::to_string(index + 1) + " for " + plugName(plug);
    bool b = false;
    if (v.isString() && parseBoolWord(v, b)) return b ? 1.0 : 0.0;
    return requireNumber("setAttr", v, what);
}

void setNumber(MPlug plug, Shape shape, double d) {
    MStatus status;
    switch (shape) {
        case Shape::kBool:
            status = plug.setValue(d != 0.0);
            break;
        case Shape::kInt:
        case Shape::kEnum:
            if (std::fabs(d) > 2147483647.0)
                throw CommandError("setAttr: " + Value::formatDouble(d) +
                                   " does not fit the integer attribute '" + plugName(plug) + "'");
            status = plug.setValue(static_cast<int>(std::lround(d)));
            break;
        default:
            status = plug.setValue(d);
            break;
    }
    check(status, "setAttr", plug, "set");
}

void setChildren(const MPlug& plug, const std::vector<Value>& values) {
    const unsigned int n = plug.numChildren();
    expectCount(plug, values, n);
    // Convert everything first: a bad value leaves the attribute untouched.
    std::vector<double> numbers;
    for (unsigned int i = 0; i < n; ++i) {
        MPlug child = plug.child(i);
        Shape shape = shapeOf(child.attribute());
        if (shape >= Shape::kNumericCompound)
            throw CommandError("setAttr: '" + plugName(plug) +
                               "' has non-numeric children; set them one by one");
        numbers.push_back(numberFor(plug, values[i], i, n));
    }
    for (unsigned int i = 0; i < n; ++i)
        setNumber(plug.child(i), shapeOf(plug.child(i).attribute()), numbers[i]);
}

void setMatrix(MPlug plug, const std::vector<Value>& values) {
    expectCount(plug, values, 16);
    double m[4][4];
    for (std::size_t i = 0; i < 16; ++i) m[i / 4][i % 4] = numberFor(plug, values[i], i, 16);
    MFnMatrixData fn;
    MObject data = fn.create(MMatrix(m));
    check(plug.setValue(data), "setAttr", plug, "set");
}

// setAttr -type vectorArray node.attr count x y z ...
void setVectorArray(MPlug plug, const std::vector<Value>& values) {
    if (values.empty()) throw CommandError("setAttr: -type vectorArray needs a count first");
    double count = requireNumber("setAttr", values[0], "the vector count");
    if (count < 0 || count != std::floor(count) || values.size() != 1 + 3 * count)
        throw CommandError(
            "setAttr: -type vectorArray needs a count and then 3 numbers per vector");
    MVectorArray array;
    for (std::size_t i = 1; i + 2 < values.size(); i += 3)
        array.append(MVector(numberFor(plug, values[i], i, values.size()),
                             numberFor(plug, values[i + 1], i + 1, values.size()),
                             numberFor(plug, values[i + 2], i + 2, values.size())));
    MFnVectorArrayData fn;
    MObject data = fn.create(array);
    check(plug.setValue(data), "setAttr", plug, "set");
}

void requireNotDriven(const MPlug& plug) {
    MPlug driven;
    if (drivenByConnection(plug, &driven))
        throw CommandError("setAttr: The attribute '" + plugName(driven) +
                           "' is locked or connected and cannot be modified.");
}

void setAttrCommand(const ParsedArgs& args, CommandResult&) {
    MPlug plug = requirePlug("setAttr", args.positionalString(0));
    std::vector<Value> values(args.positional().begin() + 1, args.positional().end());
    if (plug.isArray())
        throw CommandError("setAttr: '" + plugName(plug) +
                           "' is a multi attribute; name one element, as in " + plugName(plug) +
                           "[0]");
    requireNotDriven(plug);
    const Shape shape = shapeOf(plug.attribute());
    const std::string type = args.flagString("type");

    if (!type.empty()) {
        if (type == "string") {
            if (shape != Shape::kString)
                throw CommandError("setAttr: '" + plugName(plug) + "' is " + typeName(plug) +
                                   ", not string");
            expectCount(plug, values, 1);
            check(plug.setValue(MString(values[0].asString().c_str())), "setAttr", plug, "set");
        } else if (type == "matrix") {
            if (shape != Shape::kMatrix)
                throw CommandError("setAttr: '" + plugName(plug) + "' is " + typeName(plug) +
                                   ", not matrix");
            setMatrix(plug, values);
        } else if (type == "vectorArray") {
            if (shape != Shape::kVectorArray)
                throw CommandError("setAttr: '" + plugName(plug) + "' is " + typeName(plug) +
                                   ", not vectorArray");
            setVectorArray(plug, values);
        } else if (type == "double2" || type == "double3" || type == "double4" ||
                   type == "float2" || type == "float3" || type == "long2" || type == "long3" ||
                   type == "short2" || type == "short3") {
            if (plug.numChildren() == 0)
                throw CommandError("setAttr: '" + plugName(plug) + "' is " + typeName(plug) +
                                   ", not " + type);
            std::size_t n = static_cast<std::size_t>(type.back() - '0');
            expectCount(plug, values, n);
            setChildren(plug, values);
        } else {
            throw CommandError("setAttr: unsupported -type \"" + type +
                               "\" (use string, matrix, vectorArray, double2/3/4, float2/3, "
                               "long2/3 or short2/3)");
        }
        return;
    }

    switch (shape) {
        case Shape::kBool:
        case Shape::kInt:
        case Shape::kFloat:
        case Shape::kDouble:
        case Shape::kDistanceOrAngle:
        case Shape::kTime:
            expectCount(plug, values, 1);
            setNumber(plug, shape, numberFor(plug, values[0], 0, 1));
            return;
        case Shape::kEnum: {
            expectCount(plug, values, 1);
            double d = 0;
            if (values[0].isString() && !numberArgument(values[0], d)) {
                MStatus status;
                short index = MFnEnumAttribute(plug.attribute())
                                  .fieldIndex(MString(values[0].asString().c_str()), &status);
                if (!status)
                    throw CommandError("setAttr: '" + plugName(plug) + "' has no field " +
                                       describeValue(values[0]));
                d = index;
            } else {
                d = numberFor(plug, values[0], 0, 1);
            }
            setNumber(plug, shape, d);
            return;
        }
        case Shape::kNumericCompound:
        case Shape::kCompound:
            setChildren(plug, values);
            return;
        case Shape::kString:
            expectCount(plug, values, 1);
            check(plug.setValue(MString(values[0].asString().c_str())), "setAttr", plug, "set");
            return;
        case Shape::kMatrix:
            setMatrix(plug, values);
            return;
        case Shape::kVectorArray:
            setVectorArray(plug, values);
            return;
        case Shape::kPointSet:
        case Shape::kMesh:
        case Shape::kOtherData:
            throw CommandError("setAttr: '" + plugName(plug) + "' holds " + typeName(plug) +
                               " data, which comes through connections; setAttr cannot set it");
        case Shape::kMessage:
            throw CommandError("setAttr: '" + plugName(plug) +
                               "' is a message attribute and has no value");
    }
}

// ---- connections --------------------------------------------------------------

// The plug feeding `plug`, or a null plug.
MPlug sourceOf(const MPlug& plug) {
    MPlugArray sources;
    if (plug.connectedTo(sources, true, false) && sources.length() > 0) return sources[0];
    return MPlug();
}

MPlug nextAvailableElement(const MPlug& array) {
    unsigned int i = 0;
    while (array.elementByLogicalIndex(i).isDestination()) ++i;
    return array.elementByLogicalIndex(i);
}

void connectAttrCommand(const ParsedArgs& args, CommandResult&) {
    MPlug source = requirePlug("connectAttr", args.positionalString(0));
    MPlug destination = requirePlug("connectAttr", args.positionalString(1));
    if (args.isFlagSet("nextAvailable")) {
        if (!destination.isArray())
            throw CommandError("connectAttr: -nextAvailable needs a multi attribute, and '" +
                               plugName(destination) + "' is not one");
        destination = nextAvailableElement(destination);
    }
    if (source == destination)
        throw CommandError("connectAttr: cannot connect '" + plugName(source) + "' to itself");
    MPlug current = sourceOf(destination);
    if (!current.isNull() && current == source) {
        host::postMessage(
            host::MessageKind::kWarning,
            "'" + plugName(source) + "' is already connected to '" + plugName(destination) + "'.");
        return;
    }
    const bool force = args.isFlagSet("force");
    if (!current.isNull() && !force)
        throw CommandError("connectAttr: '" + plugName(destination) +
                           "' already has an incoming connection from '" + plugName(current) +
                           "'; use -f to replace it");
    if (!MFnAttribute(source.attribute()).isReadable())
        throw CommandError("connectAttr: '" + plugName(source) + "' is not readable");
    if (!MFnAttribute(destination.attribute()).isWritable())
        throw CommandError("connectAttr: '" + plugName(destination) + "' is not writable");
    MStatus status = host::connectPlugs(source, destination, force);
    if (!status)
        throw CommandError("connectAttr: cannot connect '" + plugName(source) + "' (" +
                           typeName(source) + ") to '" + plugName(destination) + "' (" +
                           typeName(destination) + ")");
}

void disconnectAttrCommand(const ParsedArgs& args, CommandResult&) {
    MPlug source = requirePlug("disconnectAttr", args.positionalString(0));
    MPlug destination = requirePlug("disconnectAttr", args.positionalString(1));
    MPlug current = sourceOf(destination);
    if (current.isNull() || current != source)
        throw CommandError("disconnectAttr: '" + plugName(source) + "' is not connected to '" +
                           plugName(destination) + "'");
    MStatus status = host::disconnectPlugs(source, destination);
    if (!status)
        throw CommandError("disconnectAttr: cannot disconnect '" + plugName(source) + "' from '" +
                           plugName(destination) + "'");
}

}  // namespace

void registerAttributeCommands() {
    CommandSpec set;
    set.name = "setAttr";
    set.flags = {{"typ", "type", {ArgType::kString}}};
    set.minPositional = 1;
    set.handler = setAttrCommand;
    registerCommand(std::move(set));

    CommandSpec get;
    get.name = "getAttr";
    get.flags = {{"s", "size", {}},
                 {"typ", "type", {}},
                 {"as", "asString", {}},
                 {"ch", "channel", {ArgType::kString}}};
    get.minPositional = get.maxPositional = 1;
    get.handler = getAttrCommand;
    registerCommand(std::move(get));

    CommandSpec connect;
    connect.name = "connectAttr";
    connect.flags = {{"f", "force", {}}, {"na", "nextAvailable", {}}};
    connect.minPositional = connect.maxPositional = 2;
    connect.handler = connectAttrCommand;
    registerCommand(std::move(connect));

    CommandSpec disconnect;
    disconnect.name = "disconnectAttr";
    disconnect.minPositional = disconnect.maxPositional = 2;
    disconnect.handler = disconnectAttrCommand;
    registerCommand(std::move(disconnect));
}

}  // namespace zt::commands
