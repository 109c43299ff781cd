// Mesh commands: the primitives (polyPlane, polyCube, polySphere), mesh
// import and a new scene (file), vertex colour painting
// (polyColorPerVertex), colour sets (polyColorSet) and mesh statistics
// (polyEvaluate).
//
//   polyPlane -w 10 -h 10 -sx 20 -sy 20 -n ground;   // -> ground groundShape
//   file -import "rock.obj";                         // -> rock rockShape
//   polyColorPerVertex -rgb 1 0 0 -colorSetName mask ground.vtx[0:20];
//   polyColorPerVertex -gradient y groundShape;      // host extra

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

#include "commands/commandRegistry.h"
#include "graph/scene.h"
#include "hostInit.h"
#include "mesh/meshData.h"
#include "mesh/meshNode.h"
#include "mesh/meshPrimitives.h"
#include "mesh/meshReaders.h"

namespace zt::host {

namespace {

using commands::ArgType;
using commands::CommandError;
using commands::CommandResult;
using commands::CommandSpec;
using commands::FlagSpec;
using commands::ParsedArgs;
using commands::Value;

// Flags every primitive accepts besides its own. -constructionHistory and
// -createUVs are taken for compatibility with scripts written for the full
// host: primitives here have no history node and always carry UVs.
std::vector<FlagSpec> commonPrimitiveFlags() {
    return {{"n", "name", {ArgType::kString}},
            {"ax", "axis", {ArgType::kDouble, ArgType::kDouble, ArgType::kDouble}},
            {"ch", "constructionHistory", {ArgType::kBool}},
            {"cuv", "createUVs", {ArgType::kInt}}};
}

// Turns the primitive so that its up axis (+Y) points along -axis.
void orientToAxis(const ParsedArgs& args, MeshGeometry& mesh) {
    if (!args.isFlagSet("axis")) return;
    double a[3] = {args.flagDouble("axis", 0), args.flagDouble("axis", 1),
                   args.flagDouble("axis", 2)};
    const double len = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    if (!std::isfinite(len) || len == 0.0) {
        throw CommandError(args.commandName() + ": -axis needs a non-zero direction");
    }
    for (double& c : a) c /= len;
    // Rotation taking (0,1,0) to a (Rodrigues' formula; half turn about X
    // for the opposite direction).
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const double c = a[1];
    if (c < -1.0 + 1e-12) {
        r[1][1] = r[2][2] = -1.0;
    } else {
        const double v[3] = {a[2], 0.0, -a[0]};  // (0,1,0) x a
        const double k = 1.0 / (1.0 + c);
        const double vx[3][3] = {{0, -v[2], v[1]}, {v[2], 0, -v[0]}, {-v[1], v[0], 0}};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                double sq = 0;
                for (int m = 0; m < 3; ++m) sq += vx[i][m] * vx[m][j];
                r[i][j] += vx[i][j] + sq * k;
            }
        }
    }
    std::vector<float> points = mesh.points();
    for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
        const double p[3] = {points[i], points[i + 1], points[i + 2]};
        for (int row = 0; row < 3; ++row) {
            points[i + static_cast<std::size_t>(row)] =
                static_cast<float>(r[row][0] * p[0] + r[row][1] * p[1] + r[row][2] * p[2]);
        }
    }
    mesh.setPoints(std::move(points));
}

CommandResult createdResult(const CreatedMesh& created) {
    return Value(std::vector<std::string>{created.transformName, created.shapeName});
}

// Builds a primitive as a new transform + mesh shape.
template <class Build>
void primitive(const ParsedArgs& args, CommandResult& result, const char* defaultName,
               Build build) {
    MeshGeometry mesh;
    try {
        mesh = build();
        orientToAxis(args, mesh);
    } catch (const MeshError& e) {
        throw CommandError(args.commandName() + ": " + e.what());
    }
    const std::string name = args.flagString("name", 0, defaultName);
    if (name.empty()) throw CommandError(args.commandName() + ": -name needs a name");
    try {
        result = createdResult(createMeshNode(name, std::move(mesh)));
    } catch (const MeshError& e) {
        throw CommandError(args.commandName() + ": " + e.what());
    }
}

void registerPrimitives() {
    CommandSpec plane;
    plane.name = "polyPlane";
    plane.flags = commonPrimitiveFlags();
    plane.flags.push_back({"w", "width", {ArgType::kDouble}});
    plane.flags.push_back({"h", "height", {ArgType::kDouble}});
    plane.flags.push_back({"sx", "subdivisionsX", {ArgType::kInt}});
    plane.flags.push_back({"sy", "subdivisionsY", {ArgType::kInt}});
    plane.maxPositional = 0;
    plane.handler = [](const ParsedArgs& args, CommandResult& result) {
        primitive(args, result, "pPlane#", [&] {
            return makePlane(args.flagDouble("width", 0, 1.0), args.flagDouble("height", 0, 1.0),
                             args.flagInt("subdivisionsX", 0, 10),
                             args.flagInt("subdivisionsY", 0, 10));
        });
    };
    commands::registerCommand(std::move(plane));

    CommandSpec cube;
    cube.name = "polyCube";
    cube.flags = commonPrimitiveFlags();
    cube.flags.push_back({"w", "width", {ArgType::kDouble}});
    cube.flags.push_back({"h", "height", {ArgType::kDouble}});
    cube.flags.push_back({"d", "depth", {ArgType::kDouble}});
    cube.flags.push_back({"sx", "subdivisionsX", {ArgType::kInt}});
    cube.flags.push_back({"sy", "subdivisionsY", {ArgType::kInt}});
    cube.flags.push_back({"sz", "subdivisionsZ", {ArgType::kInt}});
    cube.maxPositional = 0;
    cube.handler = [](const ParsedArgs& args, CommandResult& result) {
        primitive(args, result, "pCube#", [&] {
            return makeCube(args.flagDouble("width", 0, 1.0), args.flagDouble("height", 0, 1.0),
                            args.flagDouble("depth", 0, 1.0), args.flagInt("subdivisionsX", 0, 1),
                            args.flagInt("subdivisionsY", 0, 1),
                            args.flagInt("subdivisionsZ", 0, 1));
        });
    };
    commands::registerCommand(std::move(cube));

    CommandSpec sphere;
    sphere.name = "polySphere";
    sphere.flags = commonPrimitiveFlags();
    sphere.flags.push_back({"r", "radius", {ArgType::kDouble}});
    sphere.flags.push_back({"sx", "subdivisionsX", {ArgType::kInt}});
    sphere.flags.push_back({"sy", "subdivisionsY", {ArgType::kInt}});
    sphere.maxPositional = 0;
    sphere.handler = [](const ParsedArgs& args, CommandResult& result) {
        primitive(args, result, "pSphere#", [&] {
            return makeSphere(args.flagDouble("radius", 0, 1.0),
                              args.flagInt("subdivisionsX", 0, 20),
                              args.flagInt("subdivisionsY", 0, 20));
        });
    };
    commands::registerCommand(std::move(sphere));
}

// A node name made from a file name: its stem with characters that names
// may not hold replaced by '_'.
std::string nodeNameFromPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0) stem.erase(dot);
    for (char& c : stem) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = '_';
    }
    if (stem.empty() || std::isdigit(static_cast<unsigned char>(stem[0]))) stem = "_" + stem;
    return stem;
}

void registerFile() {
    CommandSpec file;
    file.name = "file";
    file.flags = {{"i", "import", {}},
                  {"typ", "type", {ArgType::kString}},
                  {"f", "force", {}},
                  {"new", "newFile", {}}};
    file.maxPositional = 1;
    file.handler = [](const ParsedArgs& args, CommandResult& result) {
        if (args.isFlagSet("newFile")) {
            if (args.isFlagSet("import") || args.positionalCount() != 0) {
                throw CommandError("file: -new takes no file and no -import");
            }
            newScene();
            return;
        }
        if (!args.isFlagSet("import")) {
            throw CommandError("file: only -import (OBJ, PLY, OFF meshes) and -new are supported");
        }
        if (args.positionalCount() != 1) throw CommandError("file: -import needs a file path");
        const std::string path = args.positionalString(0);
        try {
            MeshGeometry mesh = readMeshFile(path, args.flagString("type"));
            result = createdResult(createMeshNode(nodeNameFromPath(path), std::move(mesh)));
        } catch (const MeshError& e) {
            throw CommandError(std::string("file: ") + e.what());
        }
    };
    commands::registerCommand(std::move(file));
}

// The mesh shape a name refers to: a mesh node, or a transform with a mesh
// shape under it.
MObject meshShapeNamed(const std::string& command, const std::string& name) {
    const MObject node = findNode(name);
    if (node.isNull()) throw CommandError(command + ": no object matches name: " + name);
    if (node.hasFn(MFn::kMesh)) return node;
    if (node.hasFn(MFn::kTransform)) {
        MFnDagNode dag(node);
        for (unsigned i = 0; i < dag.childCount(); ++i) {
            const MObject child = dag.child(i);
            if (child.hasFn(MFn::kMesh)) return child;
        }
    }
    throw CommandError(command + ": " + name + " is not a polygon mesh");
}

// Vertex ids named by "mesh.vtx[i]", "mesh.vtx[a:b]", "mesh.vtx[*]" or
// "mesh" (all vertices, given as an empty list with `all` set).
struct VertexSelection {
    MObject shape;
    bool all = false;
    std::vector<int> ids;
};

std::vector<VertexSelection> selectVertices(const ParsedArgs& args) {
    const std::string command = args.commandName();
    std::vector<VertexSelection> selections;
    for (std::size_t i = 0; i < args.positionalCount(); ++i) {
        const std::string item = args.positionalString(i);
        const std::size_t dot = item.find('.');
        VertexSelection sel;
        sel.shape = meshShapeNamed(command, item.substr(0, dot));
        if (dot == std::string::npos) {
            sel.all = true;
        } else {
            const std::string component = item.substr(dot + 1);
            if (component.rfind("vtx[", 0) != 0 || component.back() != ']') {
                throw CommandError(command + ": " + item +
                                   ": only vertex components (.vtx[...]) are supported");
            }
            const std::string range = component.substr(4, component.size() - 5);
            if (range == "*") {
                sel.all = true;
            } else {
                const std::size_t colon = range.find(':');
                char* end = nullptr;
                const long first = std::strtol(range.c_str(), &end, 10);
                bool ok = end != range.c_str() && first >= 0;
                long last = first;
                if (ok && colon != std::string::npos) {
                    ok = end == range.c_str() + colon;
                    const char* rest = range.c_str() + colon + 1;
                    last = std::strtol(rest, &end, 10);
                    ok = ok && end != rest;
                }
                ok = ok && *end == '\0' && last >= first;
                if (!ok) throw CommandError(command + ": bad vertex range in " + item);
                for (long v = first; v <= last; ++v) sel.ids.push_back(static_cast<int>(v));
            }
        }
        selections.push_back(std::move(sel));
    }
    return selections;
}

int gradientAxis(const ParsedArgs& args) {
    std::string axis = args.flagString("gradient");
    std::transform(axis.begin(), axis.end(), axis.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (axis == "x") return 0;
    if (axis == "y") return 1;
    if (axis == "z") return 2;
    throw CommandError("polyColorPerVertex: -gradient takes x, y or z, not \"" + axis + "\"");
}

void paintVertices(const ParsedArgs& args, const VertexSelection& sel, MeshGeometry& mesh) {
    std::string set = args.flagString("colorSetName");
    if (set.empty()) set = mesh.currentColorSetName();
    if (set.empty()) set = "colorSet1";
    if (!mesh.findColorSet(set)) mesh.createColorSet(set);
    mesh.setCurrentColorSet(set);

    std::vector<int> ids = sel.ids;
    if (sel.all) {
        ids.resize(static_cast<std::size_t>(mesh.numVertices()));
        for (int v = 0; v < mesh.numVertices(); ++v) ids[static_cast<std::size_t>(v)] = v;
    }
    const bool gradient = args.isFlagSet("gradient");
    const int axis = gradient ? gradientAxis(args) : 0;
    const BoundingBox box = boundingBox(mesh);
    const double lo[3] = {box.min.x, box.min.y, box.min.z};
    const double hi[3] = {box.max.x, box.max.y, box.max.z};
    const double span = hi[axis] - lo[axis];

    for (int v : ids) {
        if (v >= mesh.numVertices()) {
            throw MeshError("vertex " + std::to_string(v) + " is out of range (the mesh has " +
                            std::to_string(mesh.numVertices()) + " vertices)");
        }
        ColorSet& colors = *mesh.findColorSet(set);
        const std::size_t i = static_cast<std::size_t>(v);
        if (args.isFlagSet("remove")) {
            colors.isSet[i] = 0;
            colors.colors[i] = {0.f, 0.f, 0.f, 1.f};
            continue;
        }
        std::array<float, 4> rgba =
            colors.isSet[i] ? colors.colors[i] : std::array<float, 4>{0.f, 0.f, 0.f, 1.f};
        double rgb[3] = {rgba[0], rgba[1], rgba[2]};
        if (args.isFlagSet("colorRGB")) {
            for (int c = 0; c < 3; ++c) rgb[c] = args.flagDouble("colorRGB", c);
        } else if (gradient) {
            rgb[0] = rgb[1] = rgb[2] = 1.0;
        }
        if (args.isFlagSet("colorR")) rgb[0] = args.flagDouble("colorR");
        if (args.isFlagSet("colorG")) rgb[1] = args.flagDouble("colorG");
        if (args.isFlagSet("colorB")) rgb[2] = args.flagDouble("colorB");
        if (gradient) {
            const Vec3 p = mesh.point(v);
            const double coord[3] = {p.x, p.y, p.z};
            const double t = span > 0.0 ? (coord[axis] - lo[axis]) / span : 0.0;
            for (double& c : rgb) c *= t;
        }
        for (int c = 0; c < 3; ++c) rgba[static_cast<std::size_t>(c)] = static_cast<float>(rgb[c]);
        if (args.isFlagSet("alpha")) rgba[3] = static_cast<float>(args.flagDouble("alpha"));
        mesh.setVertexColor(set, v, rgba);
    }
}

void registerPolyColorPerVertex() {
    CommandSpec paint;
    paint.name = "polyColorPerVertex";
    paint.flags = {{"rgb", "colorRGB", {ArgType::kDouble, ArgType::kDouble, ArgType::kDouble}},
                   {"r", "colorR", {ArgType::kDouble}},
                   {"g", "colorG", {ArgType::kDouble}},
                   {"b", "colorB", {ArgType::kDouble}},
                   {"a", "alpha", {ArgType::kDouble}},
                   {"rem", "remove", {}},
                   {"cdo", "colorDisplayOption", {}},
                   {"csn", "colorSetName", {ArgType::kString}},
                   {"gra", "gradient", {ArgType::kString}}};
    paint.minPositional = 1;
    paint.handler = [](const ParsedArgs& args, CommandResult& result) {
        const bool anyColour = args.isFlagSet("colorRGB") || args.isFlagSet("colorR") ||
                               args.isFlagSet("colorG") || args.isFlagSet("colorB") ||
                               args.isFlagSet("alpha") || args.isFlagSet("remove") ||
                               args.isFlagSet("gradient");
        if (!anyColour) {
            throw CommandError(
                "polyColorPerVertex: give a colour (-rgb, -r, -g, -b, -a), "
                "-gradient or -remove");
        }
        if (args.isFlagSet("colorSetName") && args.flagString("colorSetName").empty()) {
            throw CommandError("polyColorPerVertex: -colorSetName needs a name");
        }
        std::string usedSet;
        for (const VertexSelection& sel : selectVertices(args)) {
            std::string error;
            const MStatus status = editMeshGeometry(
                sel.shape,
                [&](MeshGeometry& mesh) {
                    paintVertices(args, sel, mesh);
                    usedSet = mesh.currentColorSetName();
                },
                &error);
            if (!status) throw CommandError("polyColorPerVertex: " + error);
            // As in the full host, -colorDisplayOption makes the view show
            // the painted colours.
            if (args.isFlagSet("colorDisplayOption"))
                MPlug(sel.shape, MeshNode::displayColors).setValue(true);
        }
        result = Value(usedSet);
    };
    commands::registerCommand(std::move(paint));
}

// polyColorSet with the full host's flags: -create, -delete, -rename and
// -copy of the set named by -colorSet (-newColorSet names the target),
// -currentColorSet to make it current, and in query mode -currentColorSet
// and -allColorSets. -clamped and -representation are accepted for scripts
// written for the full host; colour sets here are always RGBA and unclamped.
//
//   polyColorSet -create -colorSet mask ground;
//   polyColorSet -currentColorSet -colorSet mask ground;
//   polyColorSet -q -allColorSets ground;          // {"colorSet1", "mask"}
void registerPolyColorSet() {
    CommandSpec sets;
    sets.name = "polyColorSet";
    sets.queryable = true;
    sets.flags = {{"acs", "allColorSets", {}},
                  {"cla", "clamped", {ArgType::kBool}},
                  {"cs", "colorSet", {ArgType::kString}},
                  {"cp", "copy", {}},
                  {"cr", "create", {}},
                  {"ccs", "currentColorSet", {}},
                  {"d", "delete", {}},
                  {"nc", "newColorSet", {ArgType::kString}},
                  {"rn", "rename", {}},
                  {"rpt", "representation", {ArgType::kString}}};
    sets.minPositional = 1;
    sets.maxPositional = 1;
    sets.handler = [](const ParsedArgs& args, CommandResult& result) {
        const MObject shape = meshShapeNamed("polyColorSet", args.positionalString(0));
        if (args.isQuery()) {
            MObject keep;
            std::string error;
            const MeshGeometry* mesh = meshGeometryOf(shape, keep, &error);
            if (!mesh) throw CommandError("polyColorSet: " + error);
            std::vector<std::string> names;
            if (args.isFlagSet("allColorSets")) {
                for (const ColorSet& set : mesh->colorSets()) names.push_back(set.name);
            } else if (args.isFlagSet("currentColorSet")) {
                if (!mesh->currentColorSetName().empty())
                    names.push_back(mesh->currentColorSetName());
            } else {
                throw CommandError("polyColorSet: query -currentColorSet or -allColorSets");
            }
            result = Value(names);
            return;
        }
        const char* actions[] = {"create", "delete", "rename", "copy", "currentColorSet"};
        std::string action;
        for (const char* a : actions) {
            if (!args.isFlagSet(a)) continue;
            if (!action.empty()) {
                throw CommandError("polyColorSet: -" + action + " and -" + a +
                                   " cannot be combined");
            }
            action = a;
        }
        if (action.empty()) {
            throw CommandError(
                "polyColorSet: give -create, -delete, -rename, -copy or -currentColorSet");
        }
        const std::string set = args.flagString("colorSet");
        if (set.empty()) throw CommandError("polyColorSet: -" + action + " needs -colorSet");
        const std::string newSet = args.flagString("newColorSet");
        if ((action == "rename" || action == "copy") && newSet.empty()) {
            throw CommandError("polyColorSet: -" + action + " needs -newColorSet");
        }
        std::string error;
        const MStatus status = editMeshGeometry(
            shape,
            [&](MeshGeometry& mesh) {
                if (action == "create") {
                    // An existing set of that name is kept as it is.
                    if (!mesh.findColorSet(set)) mesh.createColorSet(set);
                } else if (action == "delete") {
                    mesh.deleteColorSet(set);
                } else if (action == "rename") {
                    mesh.renameColorSet(set, newSet);
                } else if (action == "copy") {
                    mesh.copyColorSet(set, newSet);
                } else {
                    mesh.setCurrentColorSet(set);
                }
            },
            &error);
        if (!status) throw CommandError("polyColorSet: " + error);
        result = Value(action == "rename" || action == "copy" ? newSet : set);
    };
    commands::registerCommand(std::move(sets));
}

void registerPolyEvaluate() {
    CommandSpec evaluate;
    evaluate.name = "polyEvaluate";
    evaluate.flags = {{"v", "vertex", {}},
                      {"f", "face", {}},
                      {"e", "edge", {}},
                      {"t", "triangle", {}},
                      {"uv", "uvcoord", {}}};
    evaluate.minPositional = 1;
    evaluate.maxPositional = 1;
    evaluate.handler = [](const ParsedArgs& args, CommandResult& result) {
        const MObject shape = meshShapeNamed("polyEvaluate", args.positionalString(0));
        MObject keep;
        std::string error;
        const MeshGeometry* mesh = meshGeometryOf(shape, keep, &error);
        if (!mesh) throw CommandError("polyEvaluate: " + error);
        const std::pair<const char*, int> counts[] = {
            {"vertex", mesh->numVertices()},
            {"face", mesh->numFaces()},
            {"edge", static_cast<int>(meshEdges(*mesh).size())},
            {"triangle", static_cast<int>(triangulate(*mesh).vertices.size() / 3)},
            {"uvcoord", static_cast<int>(mesh->uvSet().u.size())}};
        std::vector<int> asked;
        for (const auto& c : counts) {
            if (args.isFlagSet(c.first)) asked.push_back(c.second);
        }
        if (asked.empty()) {
            throw CommandError("polyEvaluate: give -vertex, -face, -edge, -triangle or -uvcoord");
        }
        result = asked.size() == 1 ? Value(asked[0]) : Value(asked);
    };
    commands::registerCommand(std::move(evaluate));
}

}  // namespace

void registerMeshCommands() {
    registerPrimitives();
    registerFile();
    registerPolyColorPerVertex();
    registerPolyColorSet();
    registerPolyEvaluate();
}

}  // namespace zt::host
