#pragma once
// Copies a point set (MFnArrayAttrsData) out of the graph into a PointTable,
// for getAttr and exportPoints.

#include <maya/MObject.h>

#include <string>

#include "pointSetFile.h"

namespace zt::commands {

// Channels in the data's own order. CommandError when `data` is not a
// point set.
PointTable readPointTable(const MObject& data);

// Points in the set: the length of its first channel (0 when it has none).
std::size_t pointCount(const PointTable& table);

// "position vector[100], pointID int[100]", or "empty point set".
std::string pointSetSummary(const PointTable& table);

}  // namespace zt::commands
