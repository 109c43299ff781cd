// exportPoints: writes the point set on a plug to a file, the format taken
// from the extension.
//
//   exportPoints scatter1.outPoints "points.ply";          // binary PLY
//   exportPoints -ascii scatter1.outPoints "points.ply";   // text PLY
//   exportPoints scatter1.outPoints "points.csv";
//   int $n = `exportPoints scatter1.outPoints "points.json"`;
//   exportPoints particleShape1 "particles.json";   // a node: its outPoints

#include <maya/MFnTypedAttribute.h>

#include <fstream>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "commands/pointSetRead.h"
#include "graph/messages.h"

namespace zt::commands {

namespace {

void exportPointsCommand(const ParsedArgs& args, CommandResult& result) {
    // A node name stands for the node's outPoints (a particle shape's
    // particles, for example).
    std::string source = args.positionalString(0);
    if (source.find('.') == std::string::npos) source += ".outPoints";
    MPlug plug = requirePlug("exportPoints", source);
    const std::string path = args.positionalString(1);
    MObject attr = plug.attribute();
    if (plug.isArray() || attr.apiType() != MFn::kTypedAttribute ||
        MFnTypedAttribute(attr).attrType() != MFnData::kDynArrayAttrs)
        throw CommandError("exportPoints: '" + plugName(plug) +
                           "' is not a point-set attribute (dynamic array data)");
    PointFileFormat format;
    try {
        format = pointFileFormat(path, args.isFlagSet("ascii"));
    } catch (const PointFileError& e) {
        throw CommandError(std::string("exportPoints: ") + e.what());
    }
    MObject data;
    if (!plug.getValue(data) || data.isNull())
        throw CommandError("exportPoints: '" + plugName(plug) +
                           "' holds no point set (its node has not produced one)");
    PointTable table = readPointTable(data);
    std::size_t count = 0;
    try {
        count = preparePointTable(table);
    } catch (const PointFileError& e) {
        throw CommandError("exportPoints: " + plugName(plug) + ": " + e.what());
    }
    for (const auto& name : table.stringChannels)
        host::postMessage(host::MessageKind::kWarning,
                          "exportPoints: string channel '" + name + "' is not written");

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw CommandError("exportPoints: cannot open '" + path + "' for writing");
    writePoints(out, table, format);
    out.close();
    if (!out) throw CommandError("exportPoints: writing '" + path + "' failed");
    result = Value(static_cast<int>(count));
}

}  // namespace

void registerExportCommands() {
    CommandSpec spec;
    spec.name = "exportPoints";
    spec.flags = {{"a", "ascii", {}}};
    spec.minPositional = spec.maxPositional = 2;
    spec.handler = exportPointsCommand;
    registerCommand(std::move(spec));
}

}  // namespace zt::commands
