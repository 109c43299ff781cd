// Commands about what the view draws besides locators.
//
// modelEditor: how surfaces are drawn. The view is the host's only one, so
// any panel name (or none) addresses it.
//
//   modelEditor -e -displayAppearance flatShaded modelPanel4;   // smoothShaded, wireframe
//   string $mode = `modelEditor -q -displayAppearance modelPanel4`;
//
// instancer: creates an instancer or adds objects to one; each object's
// matrix is connected to the next free element of inputHierarchy.
//
//   instancer -addObject -object tree -object bush -name forest;
//   instancer -e -addObject -object rock forest;
//
// exportInstances: writes every copy an instancer places as one mesh, in
// world space, to an OBJ or PLY file; returns the number of copies.
//
//   exportInstances forest "forest.obj";
//   exportInstances -ascii forest "forest.ply";

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "commands/argHelpers.h"
#include "commands/commandRegistry.h"
#include "graph/scene.h"
#include "viewport/instancerNode.h"
#include "viewport/viewport.h"
#include "viewport/viewportCommands.h"

namespace zt::host {

namespace {

using commands::CommandError;

const char* appearanceName(ShadingMode mode) {
    switch (mode) {
        case ShadingMode::kFlat:
            return "flatShaded";
        case ShadingMode::kWireframe:
            return "wireframe";
        case ShadingMode::kSmooth:
            break;
    }
    return "smoothShaded";
}

void modelEditor(const commands::ParsedArgs& args, commands::CommandResult& result) {
    Viewport& view = Viewport::instance();
    if (args.isQuery()) {
        if (!args.isFlagSet("displayAppearance"))
            throw CommandError("modelEditor: query -displayAppearance");
        result = commands::Value(appearanceName(view.shading()));
        return;
    }
    if (args.isFlagSet("displayAppearance")) {
        const std::string mode = args.flagString("displayAppearance");
        if (mode == "smoothShaded")
            view.setShading(ShadingMode::kSmooth);
        else if (mode == "flatShaded")
            view.setShading(ShadingMode::kFlat);
        else if (mode == "wireframe")
            view.setShading(ShadingMode::kWireframe);
        else
            throw CommandError(
                "modelEditor: -displayAppearance takes smoothShaded, flatShaded or "
                "wireframe, not \"" +
                mode + "\"");
    }
    result = commands::Value(args.positionalCount() > 0 ? args.positionalString(0)
                                                        : std::string("modelPanel4"));
}

MObject requireInstancer(const std::string& command, const std::string& name) {
    MObject node = commands::requireNode(command, name);
    if (!node.hasFn(MFn::kInstancer))
        throw CommandError(command + ": '" + name + "' is not an instancer");
    return node;
}

void instancerCommand(const commands::ParsedArgs& args, commands::CommandResult& result) {
    std::vector<MObject> objects;
    for (std::size_t use = 0; use < args.flagUseCount("object"); ++use)
        objects.push_back(
            commands::requireNode("instancer", args.flagValues("object", use)[0].asString()));
    MObject node;
    if (args.isFlagSet("edit")) {
        if (args.positionalCount() != 1)
            throw CommandError("instancer: -edit needs the name of an instancer");
        node = requireInstancer("instancer", args.positionalString(0));
    } else {
        if (args.positionalCount() != 0)
            throw CommandError("instancer: name an instancer only with -edit");
        MStatus status;
        node = createNode(InstancerNode::kTypeName, args.flagString("name", 0, ""),
                          MObject::kNullObj, &status);
        if (!status || node.isNull()) throw CommandError("instancer: cannot create the instancer");
    }
    MPlug hierarchy(node, InstancerNode::inputHierarchy);
    for (const MObject& object : objects) {
        std::vector<unsigned int> used;
        hierarchy.getExistingArrayAttributeIndices(used);
        unsigned int next = 0;
        for (unsigned int index : used) next = std::max(next, index + 1);
        MStatus status;
        MPlug matrix = MFnDependencyNode(object).findPlug("matrix", &status);
        if (!status || matrix.isNull())
            throw CommandError("instancer: '" + commands::nodeName(object) +
                               "' has no matrix to instance");
        if (!connectPlugs(matrix, hierarchy.elementByLogicalIndex(next)))
            throw CommandError("instancer: cannot connect " + commands::plugName(matrix));
    }
    result = commands::Value(commands::nodeName(node));
}

void writeObj(std::ostream& out, const MeshGeometry& mesh) {
    out << "# " << mesh.numVertices() << " vertices, " << mesh.numFaces() << " faces\n";
    char line[128];
    const std::vector<float>& p = mesh.points();
    for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
        std::snprintf(line, sizeof(line), "v %.9g %.9g %.9g\n", double(p[i]), double(p[i + 1]),
                      double(p[i + 2]));
        out << line;
    }
    for (int f = 0; f < mesh.numFaces(); ++f) {
        out << 'f';
        for (int c = 0; c < mesh.faceVertexCount(f); ++c) out << ' ' << mesh.faceVertex(f, c) + 1;
        out << '\n';
    }
}

template <typename T>
void putLittleEndian(std::ostream& out, T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    // The host runs on little-endian machines; swap where it does not.
    const std::uint16_t probe = 1;
    if (*reinterpret_cast<const unsigned char*>(&probe) != 1)
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i)
            std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    out.write(reinterpret_cast<const char*>(bytes), sizeof(T));
}

void writePly(std::ostream& out, const MeshGeometry& mesh, bool ascii) {
    for (int f = 0; f < mesh.numFaces(); ++f)
        if (mesh.faceVertexCount(f) > 255)
            throw CommandError(
                "exportInstances: a polygon has more than 255 corners, which PLY "
                "face lists cannot hold");
    out << "ply\nformat " << (ascii ? "ascii" : "binary_little_endian") << " 1.0\n"
        << "comment instanced copies\n"
        << "element vertex " << mesh.numVertices() << "\n"
        << "property float x\nproperty float y\nproperty float z\n"
        << "element face " << mesh.numFaces() << "\n"
        << "property list uchar int vertex_indices\nend_header\n";
    const std::vector<float>& p = mesh.points();
    if (ascii) {
        char line[128];
        for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
            std::snprintf(line, sizeof(line), "%.9g %.9g %.9g\n", double(p[i]), double(p[i + 1]),
                          double(p[i + 2]));
            out << line;
        }
        for (int f = 0; f < mesh.numFaces(); ++f) {
            out << mesh.faceVertexCount(f);
            for (int c = 0; c < mesh.faceVertexCount(f); ++c) out << ' ' << mesh.faceVertex(f, c);
            out << '\n';
        }
        return;
    }
    for (float v : p) putLittleEndian(out, v);
    for (int f = 0; f < mesh.numFaces(); ++f) {
        putLittleEndian(out, static_cast<std::uint8_t>(mesh.faceVertexCount(f)));
        for (int c = 0; c < mesh.faceVertexCount(f); ++c)
            putLittleEndian(out, static_cast<std::int32_t>(mesh.faceVertex(f, c)));
    }
}

void exportInstances(const commands::ParsedArgs& args, commands::CommandResult& result) {
    const MObject node = requireInstancer("exportInstances", args.positionalString(0));
    const std::string path = args.positionalString(1);
    const std::size_t dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != "obj" && extension != "ply")
        throw CommandError("exportInstances: '" + path +
                           "' must end in .obj or .ply (the format comes from the extension)");
    if (args.isFlagSet("ascii") && extension != "ply")
        throw CommandError("exportInstances: -ascii applies to PLY files only");

    InstancerContents contents;
    std::string error;
    if (!readInstancer(node, contents, error))
        throw CommandError("exportInstances: " + contents.name + ".inputPoints: " + error);
    if (contents.outOfRange > 0)
        MGlobal::displayWarning(MString("exportInstances: ") + contents.name.c_str() + ": " +
                                std::to_string(contents.outOfRange).c_str() +
                                " points have an objectIndex outside the " +
                                std::to_string(contents.objects.size()).c_str() +
                                " instanced objects and are not written");
    MeshGeometry mesh;
    try {
        mesh = instancedMesh(contents);
    } catch (const MeshError& e) {
        throw CommandError(std::string("exportInstances: ") + e.what());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw CommandError("exportInstances: cannot open '" + path + "' for writing");
    if (extension == "obj")
        writeObj(out, mesh);
    else
        writePly(out, mesh, args.isFlagSet("ascii"));
    out.close();
    if (!out) throw CommandError("exportInstances: writing '" + path + "' failed");
    result = commands::Value(static_cast<int>(contents.instances.size()));
}

}  // namespace

void registerSurfaceCommands() {
    using commands::ArgType;
    commands::CommandSpec editor;
    editor.name = "modelEditor";
    editor.flags = {{"e", "edit", {}}, {"da", "displayAppearance", {ArgType::kString}}};
    editor.maxPositional = 1;
    editor.queryable = true;
    editor.handler = modelEditor;
    commands::registerCommand(std::move(editor));

    commands::CommandSpec inst;
    inst.name = "instancer";
    inst.flags = {{"e", "edit", {}},
                  {"a", "addObject", {}},
                  {"obj", "object", {ArgType::kString}, true},
                  {"n", "name", {ArgType::kString}}};
    inst.maxPositional = 1;
    inst.handler = instancerCommand;
    commands::registerCommand(std::move(inst));

    commands::CommandSpec exporter;
    exporter.name = "exportInstances";
    exporter.flags = {{"a", "ascii", {}}};
    exporter.minPositional = exporter.maxPositional = 2;
    exporter.handler = exportInstances;
    commands::registerCommand(std::move(exporter));
}

}  // namespace zt::host
