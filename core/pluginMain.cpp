// Entry points of the ztNodes plug-in module: registers the node types and the
// cache command with the host on load, in a fixed order, and removes them on
// unload. This file is the one place that knows every node type, its id and
// its kind. Including MFnPlugin.h here (and only here) defines MApiVersion.

#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>

#include "attributes/ztColorBuffer.h"
#include "attributes/ztPointsObjectId.h"
#include "attributes/ztPointsRotation.h"
#include "attributes/ztPointsScale.h"
#include "attributes/ztPointsUV.h"
#include "cache/doZtPointsCacheCmd.h"
#include "cache/ztPointsCache.h"
#include "display/ztDisplayContainer.h"
#include "display/ztDisplayPoints.h"
#include "display/ztPointsEmitter.h"
#include "filters/ztPointsAttrShuffle.h"
#include "filters/ztPointsContainer.h"
#include "filters/ztPointsMerge.h"
#include "filters/ztPointsSelection.h"
#include "filters/ztPointsTransform.h"
#include "kernels/backend.h"
#include "noise/ztNoise.h"
#include "noise/ztNoiseLocator.h"
#include "scatter/ztPlantPoints.h"
#include "scatter/ztPointsNormal.h"
#include "scatter/ztScatterPoints.h"

namespace {

const char* const kVendor = "ztNodes";
const char* const kCommandName = "doZtPointsCache";

// How a failed registration of a row is handled while loading.
enum class OnFailure {
    kReportAndStop,  // "Can not register <type> node", return the status
    kStop,           // return the status without a message
    kIgnore,         // the last row: its status is returned as it is
};

struct NodeRow {
    const char* typeName;
    const MTypeId& typeId;
    MCreatorFunction creator;
    MInitializeFunction initialize;
    MPxNode::Type kind;
    OnFailure onFailure;
};

// Registration order. The command goes in after the first kRowsBeforeCommand
// rows; ztScatterPoints comes last.
const NodeRow kNodeRows[] = {
    {"ztDisplayPoints", ztDisplayPoints::id, ztDisplayPoints::creator, ztDisplayPoints::initialize,
     MPxNode::kLocatorNode, OnFailure::kReportAndStop},
    {"ztPointsRotation", ztPointsRotation::id, ztPointsRotation::creator,
     ztPointsRotation::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztColorBuffer", ztColorBuffer::id, ztColorBuffer::creator, ztColorBuffer::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsUV", ztPointsUV::id, ztPointsUV::creator, ztPointsUV::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsScale", ztPointsScale::id, ztPointsScale::creator, ztPointsScale::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsObjectId", ztPointsObjectId::id, ztPointsObjectId::creator,
     ztPointsObjectId::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztDisplayContainer", ztDisplayContainer::id, ztDisplayContainer::creator,
     ztDisplayContainer::initialize, MPxNode::kLocatorNode, OnFailure::kStop},
    {"ztPointsContainer", ztPointsContainer::id, ztPointsContainer::creator,
     ztPointsContainer::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsNormal", ztPointsNormal::id, ztPointsNormal::creator, ztPointsNormal::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsMerge", ztPointsMerge::id, ztPointsMerge::creator, ztPointsMerge::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsEmitter", ztPointsEmitter::id, ztPointsEmitter::creator, ztPointsEmitter::initialize,
     MPxNode::kEmitterNode, OnFailure::kReportAndStop},
    {"ztPointsAttrShuffle", ztPointsAttrShuffle::id, ztPointsAttrShuffle::creator,
     ztPointsAttrShuffle::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPlantPoints", ztPlantPoints::id, ztPlantPoints::creator, ztPlantPoints::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsSelection", ztPointsSelection::id, ztPointsSelection::creator,
     ztPointsSelection::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    // The command is registered here.
    {"ztPointsCache", ztPointsCache::id, ztPointsCache::creator, ztPointsCache::initialize,
     MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztPointsTransform", ztPointsTransform::id, ztPointsTransform::creator,
     ztPointsTransform::initialize, MPxNode::kDependNode, OnFailure::kReportAndStop},
    {"ztNoiseLocator", ztNoiseLocator::id, ztNoiseLocator::creator, ztNoiseLocator::initialize,
     MPxNode::kLocatorNode, OnFailure::kReportAndStop},
    {"ztNoise", ztNoise::id, ztNoise::creator, ztNoise::initialize, MPxNode::kDeformerNode,
     OnFailure::kReportAndStop},
    {"ztScatterPoints", ztScatterPoints::id, ztScatterPoints::creator, ztScatterPoints::initialize,
     MPxNode::kDependNode, OnFailure::kIgnore},
};
constexpr unsigned int kRowsBeforeCommand = 14;
constexpr unsigned int kRowCount = sizeof(kNodeRows) / sizeof(kNodeRows[0]);
static_assert(kRowCount == 19, "the plug-in registers nineteen node types");

}  // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    // The compute backend (ZT_DEVICE) is chosen once, here, so a request that
    // cannot be met is reported when the plug-in loads.
    zt::activeBackend();
    MFnPlugin plugin(obj, kVendor, "1.0", "Any");
    MStatus status;
    for (unsigned int row = 0; row < kRowCount; ++row) {
        if (row == kRowsBeforeCommand) {
            const MStatus commandStatus =
                plugin.registerCommand(kCommandName, doZtPointsCacheCmd::creator);
            if (!commandStatus) MGlobal::displayError("registerCommand doZtPointsCacheCmd");
        }
        const NodeRow& node = kNodeRows[row];
        status = plugin.registerNode(node.typeName, node.typeId, node.creator, node.initialize,
                                     node.kind);
        if (node.onFailure == OnFailure::kIgnore) {
            cout << node.typeName << " initialized" << endl;
            continue;
        }
        if (!status) {
            if (node.onFailure == OnFailure::kReportAndStop) {
                MGlobal::displayError(MString("Can not register ") + node.typeName + " node");
            }
            return status;
        }
    }
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    MStatus status;
    for (unsigned int row = 0; row < kRowCount; ++row) {
        if (row == kRowsBeforeCommand) {
            if (!plugin.deregisterCommand(kCommandName)) {
                MGlobal::displayError("deregisterCommand doZtPointsCacheCmd");
            }
        }
        const NodeRow& node = kNodeRows[row];
        status = plugin.deregisterNode(node.typeId);
        if (!status && row + 1 < kRowCount) {
            MGlobal::displayError(MString("deregisterNode ") + node.typeName);
            return status;
        }
    }
    return status;
}
