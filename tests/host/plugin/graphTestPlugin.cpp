// A tiny plug-in for the graph tests: one node type and one command. It
// checks what MFnPlugin reports about it, and fails on request (the
// environment variable GRAPH_TEST_PLUGIN_FAIL) after registering its node,
// so tests can see what a failed initialization leaves behind.

#include <maya/MDataBlock.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MPxNode.h>

#include <cstdlib>
#include <cstring>

namespace {

class PluginNode : public MPxNode {
public:
    static void* creator() { return new PluginNode; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        value = n.create("value", "v", MFnNumericData::kInt, 0);
        twice = n.create("twice", "tw", MFnNumericData::kInt, 0);
        n.setWritable(false);
        addAttribute(value);
        addAttribute(twice);
        attributeAffects(value, twice);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != twice) return MS::kUnknownParameter;
        block.outputValue(twice).set(2 * block.inputValue(value).asInt());
        block.setClean(plug);
        return MS::kSuccess;
    }
    static inline MObject value, twice;
};

class PluginCommand : public MPxCommand {
public:
    static void* creator() { return new PluginCommand; }
    MStatus doIt(const MArgList&) override {
        setResult(42);
        return MS::kSuccess;
    }
};

const MTypeId kNodeId(0x7e0100);

}  // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Graph Tests", "2.5", "Any");
    // What the host says about this plug-in must match what it was given.
    if (plugin.vendor() != "Graph Tests" || plugin.version() != "2.5" ||
        plugin.name() != "graphTestPlugin" || plugin.apiVersion() != "201402")
        return MS::kInvalidParameter;
    MStatus status = plugin.registerNode("graphPluginNode", kNodeId, PluginNode::creator,
                                         PluginNode::initialize);
    if (!status) return status;
    const char* fail = std::getenv("GRAPH_TEST_PLUGIN_FAIL");
    if (fail && std::strcmp(fail, "1") == 0) return MS::kFailure;
    return plugin.registerCommand("graphPluginCommand", PluginCommand::creator);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);
    MStatus status = plugin.deregisterNode(kNodeId);
    plugin.deregisterCommand("graphPluginCommand");
    return status;
}
