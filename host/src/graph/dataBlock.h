#pragma once
// The data block handed to one compute call. Outputs are written into
// staged copies of the node's top-level cells; commit() moves them into the
// node when compute succeeds, so a failed compute changes nothing.

#include <maya/MDataBlock.h>

#include <map>
#include <memory>
#include <vector>

#include "graph/node.h"

namespace zt::host {

class DataBlockImpl {
public:
    explicit DataBlockImpl(NodeImpl& node);
    DataBlockImpl(const DataBlockImpl&) = delete;
    DataBlockImpl& operator=(const DataBlockImpl&) = delete;

    MDataBlock& api() { return api_; }
    NodeImpl& node() { return node_; }

    // The plug of an attribute of this node given by itself (every array
    // index unchosen except none: the attribute must not sit inside an array).
    MStatus plugOf(const MObject& attribute, PlugRef& plug) const;
    MStatus plugOf(const MPlug& mplug, PlugRef& plug) const;

    MDataHandle inputValue(const PlugRef& plug, MStatus* status);
    MDataHandle outputValue(const PlugRef& plug, MStatus* status);
    void setClean(const PlugRef& plug) { cleaned_.push_back(plug); }
    bool isClean(const PlugRef& plug) const;

    // Moves the staged outputs into the node and marks the plugs set clean.
    void commit();

private:
    Cell& staged(const AttributeImpl* root);
    NodeImpl& node_;
    std::map<const AttributeImpl*, std::unique_ptr<Cell>> staged_;
    std::vector<PlugRef> cleaned_;
    MDataBlock api_;
};

// Building data handles from inside the host.
struct DataHandleAccess {
    static MDataHandle make(Cell* cell, const AttributeImpl* attr, bool writable, bool wholeArray);
    static Cell* cell(const MDataHandle& handle) { return handle.cell_; }
    static const AttributeImpl* attribute(const MDataHandle& handle) { return handle.attr_; }
    static bool isWholeArray(const MDataHandle& handle) { return handle.wholeArray_; }
    static bool isWritable(const MDataHandle& handle) { return handle.writable_; }
};

}  // namespace zt::host
